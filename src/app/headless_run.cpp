#include "app/headless_run.h"

#include "core/channel_list.h"
#include "core/pane/pane_spill.h"
#include "core/plot/plot_csv.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

namespace {

void say(const QString &text)
{
    std::fputs(qPrintable(text + u'\n'), stderr);
    std::fflush(stderr);
}

} // namespace

RecordingRequest recordingRequest(const QString &recordText, int channelCount)
{
    RecordingRequest request;
    static const QRegularExpression form(QStringLiteral("^(raw|shown|log|csv)([0-9]*):(.+)$"));
    const QRegularExpressionMatch match = form.match(recordText);
    const int number = match.captured(2).toInt();
    const bool known = number >= 1 && number <= channelCount;
    const QString kind = match.captured(1);
    if (!match.hasMatch() || (number == 0 && kind != u"log") ||
        (kind == u"csv" && match.captured(2).isEmpty()) ||
        (!match.captured(2).isEmpty() && !known)) {
        request.error = QStringLiteral("--record %1: expected raw, shown, log or csv with a "
                                       "channel's number, or log alone, then a colon and a file")
                            .arg(recordText);
        return request;
    }
    request.kind = kind == u"raw"     ? RecordKind::Raw
                   : kind == u"shown" ? RecordKind::Shown
                                      : RecordKind::Log;
    request.source = number == 0 ? RecordSource::allChannels() : RecordSource::channel(number);
    request.path = QFileInfo(match.captured(3)).absoluteFilePath();
    request.plotCsv = kind == u"csv";
    return request;
}

HeadlessRun::HeadlessRun(int channelCount)
    : m_session(channelCount)
{}

HeadlessRun::~HeadlessRun()
{
    m_script.reset();
}

int HeadlessRun::exec(const Request &request)
{
    if (m_stopSignals.install())
        connect(&m_stopSignals, &StopSignals::stopRequested, this, [this] { finish(0); });
    PaneSpill::removeLeftovers();
    if (!start(request)) {
        finish(1);
        return 1;
    }
    int status = QCoreApplication::exec();
    // A file that failed while it was being finished says so in a posted event.
    QCoreApplication::sendPostedEvents();
    if (status == 0 && m_recordingFailed)
        status = 1;
    if (m_session.recordings().stuckOnExit()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

bool HeadlessRun::start(const Request &request)
{
    m_session.setSignOnDefaults();
    for (Channel *channel : m_session.channels()) {
        channel->load();
        channel->pane().setHistoryBound(kPaneHistoryBytes);
        connect(channel, &Channel::failed, this,
                [number = channel->number()](const QString &text, const QString &detail) {
                    say(QStringLiteral("Comm Port %1: %2 %3").arg(number).arg(text, detail));
                });
        if (request.script.isEmpty()) {
            // Looked at once the failure that switched it off has been said.
            connect(channel, &Channel::onChanged, this, [this](bool on) {
                if (!on)
                    QMetaObject::invokeMethod(this, &HeadlessRun::endWhenNothingCaptures,
                                              Qt::QueuedConnection);
            });
        }
    }
    connect(&m_session.recordings(), &Recordings::failed, this,
            [this](const QString &path, const QString &reason) {
                m_recordingFailed = true;
                say(QStringLiteral("The recording %1 stopped: %2").arg(path, reason));
            });

    const SetupFile::Reading reading = SetupFile::open(request.setup, m_session);
    if (!reading.error.isEmpty()) {
        say(QStringLiteral("The setup %1 could not be opened: %2")
                .arg(request.setup, reading.error));
        return false;
    }
    if (!reading.clean())
        say(QStringLiteral("Some values of the setup %1 were not used: %2")
                .arg(request.setup, SetupFile::summary(reading)));
    // Refused before anything is switched on or recorded.
    m_allowListenBeyondLoopback = request.allowListenBeyondLoopback;
    for (const Channel *channel : m_session.channels()) {
        const QString refusal = channel->listenBeyondLoopbackRefusal();
        if (channel->choices().on && !m_allowListenBeyondLoopback && !refusal.isEmpty()) {
            say(refusal);
            return false;
        }
    }
    for (const QString &recordText : request.records) {
        if (!startRecording(recordText))
            return false;
    }
    if (!startPublishing())
        return false;
    for (Channel *channel : m_session.channels()) {
        if (channel->choices().on)
            channel->switchOn();
    }
    if (request.script.isEmpty()) {
        endWhenNothingCaptures();
        return !m_finished;
    }

    // Nobody sees a channel's failure here but the script's error.
    m_script =
        std::make_unique<ScriptRun>(ScriptHost{&m_session, m_allowListenBeyondLoopback, true, {}});
    connect(m_script.get(), &ScriptRun::logged, this, [](const QString &text) { say(text); });
    connect(m_script.get(), &ScriptRun::finished, this, [this](const ScriptOutcome &outcome) {
        if (!outcome.ok)
            say(outcome.message);
        finish(outcome.ok || outcome.stopped ? 0 : 1);
    });
    const QString refusal = m_script->start(request.script);
    if (!refusal.isEmpty()) {
        say(refusal);
        return false;
    }
    return true;
}

bool HeadlessRun::startRecording(const QString &recordText)
{
    const RecordingRequest request = recordingRequest(recordText, m_session.channelCount());
    QString error = request.error;
    if (error.isEmpty() && request.plotCsv) {
        const int number = request.source.channelNumber();
        m_session.channel(number).plot().setOn(true);
        m_plotFiles.append({number, request.path});
        return true;
    }
    if (error.isEmpty()) {
        // A service started again goes on writing the same files.
        error = m_session.recordings().start(request.source, request.kind, request.path,
                                             FileWriter::Existing::Append);
    }
    if (!error.isEmpty())
        say(error);
    return error.isEmpty();
}

bool HeadlessRun::startPublishing()
{
    MqttPublisher &publisher = m_session.publisher();
    connect(&publisher, &MqttPublisher::noted, this, [](const QString &text) { say(text); });
    const QString error = publisher.apply(m_session.mqttSettings());
    if (!error.isEmpty())
        say(QStringLiteral("MQTT: %1").arg(error));
    return error.isEmpty();
}

void HeadlessRun::endWhenNothingCaptures()
{
    if (m_finished)
        return;
    const QList<Channel *> channels = m_session.channels();
    if (std::any_of(channels.begin(), channels.end(), [](Channel *c) { return c->isOn(); }))
        return;
    say(QStringLiteral("No channel is on (none is On in the setup, or each failed or closed "
                       "without Reconnect): the run ends."));
    finish(1);
}

// Stops the script first (its thread may wait on the channels), then the
// channels and the recordings, and leaves the event loop.
void HeadlessRun::finish(int status)
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_script)
        m_script->stop();
    // What a bridge carried and dropped, for the run's own log.
    if (m_session.bridge().isOn())
        say(m_session.bridge().statusText());
    for (Channel *channel : m_session.channels())
        channel->unload();
    m_session.publisher().stop(); // its last lines wait in the queue for the next run
    m_session.recordings().stopAll();
    if (!writePlotFiles())
        status = 1;
    m_session.recordings().waitForFiles(5000);
    QCoreApplication::exit(status);
}

bool HeadlessRun::writePlotFiles()
{
    bool written = true;
    for (const auto &[number, path] : std::exchange(m_plotFiles, {})) {
        const QString error = PlotCsv::save(m_session.channel(number).plot().store(), path);
        if (!error.isEmpty()) {
            say(QStringLiteral("The plot data %1 could not be written: %2").arg(path, error));
            written = false;
        }
    }
    return written;
}

#include "moc_headless_run.cpp"
