#include "replay_bench.h"

#include "bench_table.h"
#include "loopback_listener.h"
#include "process_memory.h"
#include "stall_meter.h"
#include "stream_writer.h"

#include "automation/script_run.h"
#include "devices/capture_session.h"
#include "ui/capture_pane.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <ctime>

namespace {

// Lines of readable text, as an instrument sends: what a pane mostly holds.
QByteArray readingLines(qsizetype size)
{
    QByteArray out;
    out.reserve(size);
    QRandomGenerator random(5);
    while (out.size() < size)
        out += "T=" + QByteArray::number(random.bounded(10000)) +
               " P=" + QByteArray::number(random.bounded(100000)) + "\r\n";
    out.truncate(size);
    return out;
}

// Streams `seconds` of 10 MB/s into channel 1 over TCP, with or without a
// script waiting in expect(); the process's processor time per byte
// received, in seconds (per byte, not per second on the wall: a busy
// machine stretches the stream, not the work).
double cpuPerByte(double seconds, bool withScript)
{
    CaptureSession session;
    session.setSignOnDefaults();
    Channel &channel = session.channel(1);
    const LoopbackListener listener;
    channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(listener.port));
    const int peer = listener.accept();
    QTemporaryDir dir;
    ScriptRun run{ScriptHost{&session}};
    if (withScript) {
        QFile script(dir.filePath(QStringLiteral("wait.js")));
        if (script.open(QIODevice::WriteOnly))
            script.write("for (;;) { try { expect(1, /NEVER-[0-9]+-SEEN/, 600000); } catch (e) "
                         "{ break; } }\n");
        script.close();
        run.start(script.fileName());
    }
    const auto size = qsizetype(seconds * 10e6);
    StreamWriter writer(peer, readingLines(size), 16384, 10e6);
    const double before = processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    writer.start();
    // A loop that sleeps between events: polling it would cost more than
    // what is measured.
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (channel.receivedCount() >= size || clock.elapsed() > 120000)
            loop.quit();
    });
    check.start(20);
    loop.exec();
    const double cpu = processCpuSeconds() - before;
    writer.join();
    run.stop();
    ::close(peer);
    return cpu / double(std::max<qint64>(1, channel.receivedCount()));
}

// A timestamped ASCII log of about `size` bytes: a reading every 10 ms.
bool writeLog(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator random(7);
    const QDateTime start = QDateTime::currentDateTime();
    QByteArray block;
    qint64 written = 0;
    for (qint64 line = 0; written < size; ++line) {
        block += start.addMSecs(line * 10)
                     .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
                     .toLatin1() +
                 " 1< T=" + QByteArray::number(random.bounded(10000)) +
                 " P=" + QByteArray::number(random.bounded(100000)) + "\\r\\n\n";
        if (block.size() >= (1 << 20)) {
            written += file.write(block);
            block.clear();
        }
    }
    return file.write(block) == block.size();
}

// What one replay start did to the window: its longest stall (and how
// much of it went waiting for a processor), the memory it took at its peak.
struct ReplayStart
{
    QString error;
    double startMs = 0;
    double stallMs = 0;
    double waitedMs = 0;
    qint64 peakKb = 0;
    qint64 playedBytes = 0;
};

// Starts replaying the log at `path` at its recorded pace into a shown
// channel and runs the window's loop for `seconds`.
ReplayStart startLogReplay(const QString &path, double seconds)
{
    CaptureSession session;
    session.setSignOnDefaults();
    Channel &channel = session.channel(1);
    CapturePane view; // painted as the window paints it
    view.setModel(&channel.pane());
    view.resize(640, 400);
    view.show();
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    QCoreApplication::processEvents();
    ReplayStart run;
    resetPeakMemory();
    const qint64 before = statusKb("VmRSS:");
    StallMeter meter;
    meter.start();
    QElapsedTimer clock;
    clock.start();
    run.error = channel.replayer().start(ReplayRequest{path});
    run.startMs = clock.nsecsElapsed() / 1e6;
    if (run.error.isEmpty())
        loop.exec();
    meter.stop();
    run.stallMs = meter.longestMs();
    run.waitedMs = meter.longestWaitedMs();
    run.peakKb = statusKb("VmHWM:") - before;
    run.playedBytes = channel.receivedCount();
    channel.replayer().stop();
    return run;
}

} // namespace

void logReplayBench(BenchTable &table, bool quick)
{
    const qint64 size = quick ? qint64(25) << 20 : qint64(250) << 20;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("capture.log"));
    if (!writeLog(path, size))
        return;
    // Five starts; the median stall is compared, the largest peak.
    constexpr int rounds = 5;
    QList<ReplayStart> runs;
    for (int round = 0; round < rounds; ++round) {
        runs << startLogReplay(path, 2);
        if (!runs.last().error.isEmpty()) {
            table.row(QStringLiteral("replay start of a log"), runs.last().error);
            return;
        }
    }
    std::sort(runs.begin(), runs.end(),
              [](const ReplayStart &a, const ReplayStart &b) { return a.stallMs < b.stallMs; });
    QStringList stalls;
    qint64 peakKb = 0;
    double startMs = 0;
    for (const ReplayStart &run : std::as_const(runs)) {
        stalls << QString::number(run.stallMs, 'f', 1);
        peakKb = std::max(peakKb, run.peakKb);
        startMs = std::max(startMs, run.startMs);
    }
    const ReplayStart &median = runs.at(rounds / 2);
    table.row(QStringLiteral("replay start of a %1 MB log at its recorded pace, into a shown pane, "
                             "its first 2 s: window held, memory taken")
                  .arg(size >> 20),
              QStringLiteral("longest stall, median %1 ms (%2 ms of it waiting for a processor; "
                             "runs: %3 ms); start() at most %4 ms; peak at most +%5 MB; %6 kB "
                             "played")
                  .arg(median.stallMs, 0, 'f', 1)
                  .arg(median.waitedMs, 0, 'f', 1)
                  .arg(stalls.join(QStringLiteral(", ")))
                  .arg(startMs, 0, 'f', 1)
                  .arg(peakKb / 1024.0, 0, 'f', 1)
                  .arg(median.playedBytes / 1024),
              QStringLiteral("stall <= 16 ms; peak <= +64 MB"),
              median.stallMs <= 16 && peakKb <= 64 * 1024);
}

void replayBench(BenchTable &table, bool quick)
{
    const qint64 size = quick ? qint64(100) << 20 : qint64(1) << 30;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("capture.bin"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return;
        const QByteArray block = readingLines(qint64(16) << 20);
        for (qint64 written = 0; written < size; written += block.size())
            file.write(block.constData(), std::min<qint64>(block.size(), size - written));
    }
    CaptureSession session;
    session.setSignOnDefaults();
    Channel &channel = session.channel(1);
    QSignalSpy finished(&channel.replayer(), &Replayer::finished);
    ReplayRequest request{path};
    request.fastest = true;
    QElapsedTimer clock;
    clock.start();
    const QString error = channel.replayer().start(request);
    QEventLoop loop;
    QObject::connect(&channel.replayer(), &Replayer::finished, &loop, &QEventLoop::quit);
    if (error.isEmpty())
        loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double rate = channel.receivedCount() / seconds / 1e6;
    table.row(QStringLiteral("replay of a %1 MB raw recording into a pane, as fast as possible")
                  .arg(size >> 20),
              error.isEmpty()
                  ? QStringLiteral("%1 MB/s (%2 s)").arg(rate, 0, 'f', 1).arg(seconds, 0, 'f', 1)
                  : error,
              QStringLiteral(">= 100 MB/s"),
              error.isEmpty() && channel.receivedCount() == size && rate >= 100);
}

void scriptBench(BenchTable &table, bool quick)
{
    const double seconds = quick ? 2 : 5;
    // Five runs of each, taken in turn; the medians are compared.
    constexpr int rounds = 5;
    QList<double> withoutRuns, withRuns;
    for (int round = 0; round < rounds; ++round) {
        withoutRuns << cpuPerByte(seconds, false);
        withRuns << cpuPerByte(seconds, true);
    }
    std::sort(withoutRuns.begin(), withoutRuns.end());
    std::sort(withRuns.begin(), withRuns.end());
    // In percent of a core at 10 MB/s.
    const double without = withoutRuns.at(rounds / 2) * 10e6;
    const double with = withRuns.at(rounds / 2) * 10e6;
    const double added = (with - without) * 100;
    table.row(QStringLiteral("script expect over a 10 MB/s stream, CPU added"),
              QStringLiteral("%1% of a core (medians of %4 runs: %2% without the script, %3% with)")
                  .arg(added, 0, 'f', 1)
                  .arg(without * 100, 0, 'f', 1)
                  .arg(with * 100, 0, 'f', 1)
                  .arg(rounds),
              QStringLiteral("<= 5% of a core"), added <= 5);
}
