#include "ui/channel_status_bar.h"

#include "core/channel_list.h"
#include "core/shown_text.h"
#include "devices/capture_session.h"
#include "ui/channel_status.h"
#include "ui/program_message.h"

#include <QLabel>
#include <QVBoxLayout>

ChannelStatusBar::ChannelStatusBar(const CaptureSession &session, QWidget *parent)
    : QStatusBar(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("statusLine"));
    setSizeGripEnabled(false); // the window has a fixed size
    // A line per channel: half the width would cut off the recording's file
    // and size, the part that is watched.
    auto *lines = new QWidget(this);
    auto *layout = new QVBoxLayout(lines);
    layout->setContentsMargins(4, 1, 4, 1);
    layout->setSpacing(0);
    for (const Channel *entry : m_session.channels()) {
        auto *label = new QLabel(lines);
        label->setObjectName(QStringLiteral("lblStatus%1").arg(entry->number()));
        // Long texts must not widen the window.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
        m_parts.push_back(label);
        m_texts.emplace_back();
    }
    addWidget(lines, 1);
    // Shown only while publishing, so the line's layout stays as it was otherwise.
    m_publishing = new QLabel(this);
    m_publishing->setObjectName(QStringLiteral("lblStatusMqtt"));
    m_publishing->setTextFormat(Qt::PlainText);
    m_publishing->hide();
    addPermanentWidget(m_publishing);
    m_bridge = new QLabel(this);
    m_bridge->setObjectName(QStringLiteral("lblStatusBridge"));
    m_bridge->setTextFormat(Qt::PlainText);
    m_bridge->hide();
    addPermanentWidget(m_bridge);
    connect(&m_timer, &QTimer::timeout, this, &ChannelStatusBar::refresh);
    m_timer.start(refreshMs);
    refresh();
}

void ChannelStatusBar::refresh()
{
    const MqttPublisher::Status publishing = m_session.publisher().status();
    m_publishing->setVisible(publishing.on);
    m_publishing->setText(MqttPublisher::statusText(publishing));
    m_publishing->setToolTip(plainToolTip(shownText(publishing.problem)));
    m_bridge->setVisible(m_session.bridge().isOn());
    m_bridge->setText(m_session.bridge().statusText());
    const Recordings &recordings = m_session.recordings();
    for (const Channel *channel : m_session.channels()) {
        const QString text = shownText(channelStatusText(*channel, recordings));
        const size_t at = size_t(channel->number() - 1);
        QLabel *label = m_parts.at(at);
        const QString shown =
            label->fontMetrics().elidedText(text, Qt::ElideRight, label->contentsRect().width());
        if (text == m_texts.at(at) && shown == label->text())
            continue;
        m_texts.at(at) = text;
        label->setText(shown);
        const QString paths = channelRecordingPaths(*channel, recordings);
        QStringList tip{text};
        for (const QString &path : paths.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            tip << shownText(path);
        label->setToolTip(plainToolTip(tip.join(QLatin1Char('\n'))));
    }
}

#include "moc_channel_status_bar.cpp"
