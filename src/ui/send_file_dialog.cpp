#include "ui/send_file_dialog.h"

#include "core/shown_text.h"
#include "devices/channel.h"
#include "ui/program_message.h"

#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString sizeText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// The exact count, for messages that say how far a file got.
QString byteCount(qint64 bytes)
{
    return QLocale().toString(bytes);
}

} // namespace

SendFileDialog::SendFileDialog(Channel &channel, QWidget *parent)
    : QDialog(parent)
    , m_channel(channel)
    , m_sender(channel)
{
    setObjectName(QStringLiteral("sendFileDialog%1").arg(channel.number()));
    setWindowTitle(tr("Send File to Comm Port %1").arg(channel.number()));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    m_title = new QLabel(this);
    m_title->setTextFormat(Qt::PlainText);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 1000);
    m_progressText = new QLabel(this);
    m_progressText->setObjectName(QStringLiteral("sendFileProgress"));
    m_progressText->setTextFormat(Qt::PlainText);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("sendFileCancel"));
    layout->addWidget(m_title);
    layout->addWidget(m_bar);
    layout->addWidget(m_progressText);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    connect(m_cancel, &QPushButton::clicked, this, &SendFileDialog::reject);
    connect(&m_sender, &FileSender::finished, this, &SendFileDialog::onFinished);
    // Progress is shown a few times a second, not at every write.
    m_refresh.setInterval(250);
    connect(&m_refresh, &QTimer::timeout, this, &SendFileDialog::showProgress);
}

bool SendFileDialog::start(const QString &path)
{
    m_title->setText(tr("Sending %1").arg(shownText(QFileInfo(path).fileName())));
    m_clock.start();
    if (!m_sender.start(path)) {
        showProgramMessage(parentWidget(), tr("%1 could not be sent.").arg(shownText(path)),
                           m_sender.error());
        return false;
    }
    if (m_sender.total() == 0)
        m_bar->setRange(0, 0); // no size known: a busy bar
    showProgress();
    if (m_sender.isRunning())
        m_refresh.start();
    return true;
}

void SendFileDialog::showProgress()
{
    const qint64 written = m_sender.written();
    const qint64 total = m_sender.total();
    if (total > 0)
        m_bar->setValue(int(written * 1000 / total));
    const double seconds = m_clock.elapsed() / 1000.0;
    const QString rate =
        seconds > 0.2 ? tr("%1/s").arg(sizeText(qint64(written / seconds))) : QStringLiteral("-");
    m_progressText->setText(total > 0
                                ? tr("%1 of %2, %3").arg(sizeText(written), sizeText(total), rate)
                                : tr("%1, %2").arg(sizeText(written), rate));
}

void SendFileDialog::reject()
{
    if (m_sender.isRunning())
        m_sender.cancel(); // onFinished closes the dialog
    else
        QDialog::reject();
}

void SendFileDialog::onFinished(FileSender::Outcome outcome)
{
    m_refresh.stop();
    showProgress();
    const QString name = shownText(QFileInfo(m_sender.path()).fileName());
    const QString howFar = tr("%1 of %2 bytes were sent.")
                               .arg(byteCount(m_sender.sent()), byteCount(m_sender.total()));
    switch (outcome) {
    case FileSender::Outcome::Sent:
        break;
    case FileSender::Outcome::Cancelled:
        showProgramMessage(parentWidget(), tr("Sending %1 was cancelled.").arg(name), howFar);
        break;
    case FileSender::Outcome::ChannelOff:
        showProgramMessage(parentWidget(),
                           tr("Sending %1 stopped: Comm Port %2 went off.")
                               .arg(name, QString::number(m_channel.number())),
                           howFar);
        break;
    case FileSender::Outcome::LinkLost:
        showProgramMessage(parentWidget(),
                           tr("Sending %1 stopped: Comm Port %2 lost its port or connection.")
                               .arg(name, QString::number(m_channel.number())),
                           howFar + QLatin1Char('\n') +
                               tr("What had not reached it was dropped; the channel waits "
                                  "for it to come back. Send the file again then."));
        break;
    case FileSender::Outcome::ReadFailed:
        showProgramMessage(parentWidget(),
                           tr("Sending %1 stopped: the file could not be read on.").arg(name),
                           howFar + QLatin1Char('\n') + m_sender.error());
        break;
    }
    emit ended(outcome);
    QDialog::reject();
}

#include "moc_send_file_dialog.cpp"
