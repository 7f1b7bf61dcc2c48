#include "ui/capture_menu.h"

#include "core/pane/pane_text_file.h"
#include "core/shown_text.h"
#include "devices/capture_session.h"
#include "ui/channel_command_actions.h"
#include "ui/channel_view.h"
#include "ui/channel_view_actions.h"
#include "ui/mqtt_dialog.h"
#include "ui/program_message.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace {

// The kinds a channel's recording offers, in the order of their filters.
const std::array<RecordKind, 3> channelKinds = {RecordKind::Raw, RecordKind::Shown,
                                                RecordKind::Log};

QStringList channelFilters()
{
    return {QObject::tr("Raw bytes (*.bin)"), QObject::tr("Text as shown (*.txt)"),
            QObject::tr("Timestamped log (*.log)")};
}

} // namespace

CaptureMenu::CaptureMenu(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_menu(new QMenu(tr("&Capture"), window))
    , m_dialogs(std::make_unique<QtCaptureFileDialogs>())
{
    m_menu->setObjectName(QStringLiteral("mnuCapture"));
    m_recordBoth = m_menu->addAction(tr("Record &Both to One Log..."));
    m_recordBoth->setObjectName(QStringLiteral("mnuCaptureRecordBoth"));
    watchRecordEntry(RecordSource::allChannels(), m_recordBoth);
    m_stopAll = m_menu->addAction(tr("S&top All Recording"));
    m_stopAll->setObjectName(QStringLiteral("mnuCaptureStopAll"));
    connect(m_stopAll, &QAction::triggered, this, &CaptureMenu::stopAll);
    m_menu->addSeparator();
    m_afterSaves = m_menu->addSeparator();
    QAction *publish = m_menu->addAction(tr("&Publish to MQTT..."));
    publish->setObjectName(QStringLiteral("mnuCapturePublish"));
    connect(publish, &QAction::triggered, this, &CaptureMenu::choosePublishing);
    Recordings &recordings = session.recordings();
    connect(&recordings, &Recordings::changed, this, &CaptureMenu::showRecordings);
    connect(&recordings, &Recordings::failed, this, &CaptureMenu::reportFailure);
    showRecordings();
}

CaptureMenu::~CaptureMenu() = default;

void CaptureMenu::list(ChannelView &view)
{
    const ChannelCommandActions &entries = view.actions().commands();
    const int n = view.channel().number();
    m_menu->insertAction(m_recordBoth, entries.record());
    watchRecordEntry(RecordSource::channel(n), entries.record());
    m_menu->insertAction(m_afterSaves, entries.savePane());
    connect(entries.savePane(), &QAction::triggered, this, [this, n] { savePane(n); });
    showRecordings();
}

void CaptureMenu::watchRecordEntry(RecordSource source, QAction *action)
{
    // An entry of a view that has gone gives way to the next view's.
    std::erase_if(m_record, [](const auto &entry) { return entry.second.isNull(); });
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, source] { record(source); });
    m_record.push_back({source, action});
}

void CaptureMenu::choosePublishing()
{
    const std::optional<MqttSettings> chosen = askMqttSettings(m_window, m_session.mqttSettings());
    if (!chosen)
        return;
    m_session.setMqttSettings(*chosen);
    const QString error = m_session.publisher().apply(*chosen);
    if (!error.isEmpty())
        showProgramMessage(m_window, tr("Publishing to MQTT could not start."), error);
}

void CaptureMenu::showRecordings()
{
    const Recordings &recordings = m_session.recordings();
    for (const auto &[source, action] : m_record)
        if (action)
            action->setChecked(recordings.isRecording(source));
    m_stopAll->setEnabled(recordings.isAnyRecording());
}

void CaptureMenu::record(RecordSource source)
{
    Recordings &recordings = m_session.recordings();
    // Choosing a running recording stops it; the check marks follow the
    // recordings whatever happens here.
    auto showAfter = qScopeGuard([this] { showRecordings(); });
    if (recordings.isRecording(source)) {
        recordings.stop(source);
        return;
    }
    const bool both = source.isAllChannels();
    const QString caption =
        both ? tr("Record Both to One Log") : tr("Record Comm Port %1").arg(source.channelNumber());
    const QStringList filters =
        both ? QStringList{tr("Timestamped log, both channels (*.log)")} : channelFilters();
    const std::optional<CaptureFileDialogs::Choice> choice =
        m_dialogs->chooseFile(m_window, caption, filters, false);
    if (!choice)
        return;
    auto existing = FileWriter::Existing::Replace;
    if (QFileInfo::exists(choice->path)) {
        switch (m_dialogs->askExisting(m_window, choice->path)) {
        case CaptureFileDialogs::Existing::Append:
            existing = FileWriter::Existing::Append;
            break;
        case CaptureFileDialogs::Existing::Replace:
            break;
        case CaptureFileDialogs::Existing::Cancel:
            return;
        }
    }
    // A suffix typed decides the kind; the filter, for a name without one.
    const RecordKind kind =
        both ? RecordKind::Log
             : recordKindOfName(choice->path)
                   .value_or(channelKinds.at(size_t(choice->filter) % channelKinds.size()));
    const QString refused = recordings.start(source, kind, choice->path, existing);
    if (!refused.isEmpty())
        showProgramMessage(m_window, tr("Recording did not start."), refused);
}

void CaptureMenu::stopAll()
{
    m_session.recordings().stopAll();
}

void CaptureMenu::savePane(int channel)
{
    const std::optional<CaptureFileDialogs::Choice> choice =
        m_dialogs->chooseFile(m_window, tr("Save Comm Port %1 Pane As").arg(channel),
                              {tr("Text (*.txt)"), tr("All files (*)")}, true);
    if (!choice)
        return;
    const Channel &source = m_session.channel(channel);
    const PaneTimeChoice &times = source.paneTimes();
    const QString failure =
        savePaneText(source.pane(), choice->path, times.inCopies ? times.form : LineTimeForm::Off);
    if (!failure.isEmpty())
        showProgramMessage(m_window, tr("%1 was not saved.").arg(shownText(choice->path)), failure);
}

void CaptureMenu::reportFailure(const QString &path, const QString &reason)
{
    showProgramMessage(m_window, tr("Recording to %1 stopped.").arg(shownText(path)),
                       reason + tr(". What was written before is kept; the channels go on."));
}

#include "moc_capture_menu.cpp"
