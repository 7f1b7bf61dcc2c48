#pragma once

#include "automation/script_run.h"
#include "core/stop_signals.h"
#include "devices/capture_session.h"
#include "devices/setup_file.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

// A run without a window or a display (a QCoreApplication): opens a setup
// file, switches on the channels it has "On" (each the way its port entry
// names: Channel::switchOn), starts the recordings asked for and the
// publishing its [MQTT] section sets up (its notes, such as connected or
// messages dropped, go to standard error) and runs a script. It ends when the script ends (status
// 0, or 1 with the message on standard error after a failed expect or any other error), or, with no
// script, at SIGTERM, SIGINT or SIGHUP (status 0), or with status 1 once
// none of its channels is on (one waiting to reconnect counts as on), so a
// service's restart policy sees a capture that stopped. A recording whose
// file failed makes the status 1 whenever the run ends. Either way the
// channels are closed and the recordings' files finished whole before the
// program ends. Failures of a channel or a recording are written to
// standard error. A setup's Bridge key links two channels as in the window;
// what the bridge carried and dropped is written to standard error at the
// end.
//
// A setup that has a channel listen beyond loopback (at "*" or another
// machine's reach) is refused unless the request allows it. Nothing shows
// the panes, so each keeps only a bounded tail of its text (see
// kPaneHistoryBytes): memory and disk stay flat however long the run.
class HeadlessRun : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QString setup;
        QString script;      // may be empty
        QStringList records; // "KIND:PATH", see recordingRequest()
        bool allowListenBeyondLoopback = false;
    };

    // The most of its text a headless channel's pane keeps (twice this
    // between trims): what the receive path needs of the pane's end. Scripts
    // and recordings take the received bytes on their own routes.
    static constexpr qsizetype kPaneHistoryBytes = qsizetype(64) << 10;

    // `channelCount`: the channels the setup opens (SetupFile::channelCountOf).
    explicit HeadlessRun(int channelCount = defaultChannelCount);
    ~HeadlessRun() override;

    // Starts everything and runs the event loop; the exit status.
    int exec(const Request &request);

private:
    bool start(const Request &request);
    bool startRecording(const QString &recordText);
    // Publishes to the broker the setup's [MQTT] section names, if it does.
    bool startPublishing();
    // Without a script: ends the run (status 1) once no channel is on.
    void endWhenNothingCaptures();
    void finish(int status);
    // Writes the --record csvN files; false when one failed (said why).
    bool writePlotFiles();

    CaptureSession m_session;
    StopSignals m_stopSignals;
    std::unique_ptr<ScriptRun> m_script;
    bool m_finished = false;
    bool m_recordingFailed = false;
    bool m_allowListenBeyondLoopback = false;
    // The --record csvN files: the channel's number and the file.
    QList<std::pair<int, QString>> m_plotFiles;
};

// What `--record KIND:PATH` asks for: KIND is raw, shown or log with a
// channel's number (raw2: channel 2's raw bytes), or log alone for the one
// log of every channel; the number is one of the run's `channelCount`
// channels. An empty `error` when it names one.
struct RecordingRequest
{
    QString error;
    RecordSource source = RecordSource::allChannels();
    RecordKind kind = RecordKind::Log;
    QString path;
    // csvN: the channel's plot data (ChannelPlot), written as CSV when a
    // headless run ends; `source` names the channel.
    bool plotCsv = false;
};
RecordingRequest recordingRequest(const QString &recordText, int channelCount);
