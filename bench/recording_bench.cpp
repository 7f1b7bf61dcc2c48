#include "recording_bench.h"

#include "bench_table.h"
#include "loopback_listener.h"
#include "stall_meter.h"
#include "stream_writer.h"

#include "devices/capture_session.h"
#include "ui/channel_group.h"
#include "ui/display_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <optional>

namespace {

QByteArray randomData(qsizetype size)
{
    QRandomGenerator random(11);
    QByteArray bytes(size, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// The bytes a Hex log holds: after each line's timestamp and "1<", pairs.
QByteArray bytesOfHexLog(const QByteArray &log)
{
    QByteArray bytes;
    bytes.reserve(log.size() / 3);
    for (const QByteArray &line : log.split('\n'))
        if (line.size() > 27)
            bytes += QByteArray::fromHex(line.mid(27));
    return bytes;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Run
{
    double seconds = 0;
    double stallMs = 0;
    bool exact = false;
};

// One stream of `data` at 10 MB/s into channel 1 of the real main window,
// recorded as `kind` (none: not recorded).
Run streamOnce(const QByteArray &data, std::optional<RecordKind> kind, const QString &path)
{
    CaptureSession session;
    session.setSignOnDefaults();
    DisplayWindow window(session);
    window.load();
    window.show();
    ChannelGroup &group = window.controls()->group(1);
    group.widgets().optRT->click();
    group.widgets().optHex->click();
    if (kind)
        session.recordings().start(RecordSource::channel(1), *kind, path,
                                   FileWriter::Existing::Replace);

    const LoopbackListener listener;
    group.widgets().cmbPort->setEditText(QStringLiteral("TCP"));
    group.widgets().txtHost->setText(QStringLiteral("127.0.0.1"));
    group.widgets().txtPort->setText(QString::number(listener.port));
    group.widgets().optOn->click();
    const int peer = listener.accept();

    Run run;
    const Channel &channel = session.channel(1);
    StallMeter meter;
    StreamWriter writer(peer, data, 16384, 10e6);
    meter.start();
    QElapsedTimer clock;
    clock.start();
    writer.start();
    while (channel.receivedCount() < data.size() && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    run.seconds = clock.nsecsElapsed() / 1e9;
    meter.stop();
    run.stallMs = meter.longestMs();
    writer.join();
    session.recordings().stopAll();
    session.recordings().waitForFiles();
    ::close(peer);
    if (kind == RecordKind::Raw)
        run.exact = contents(path) == data;
    else if (kind == RecordKind::Log)
        run.exact = bytesOfHexLog(contents(path)) == data;
    return run;
}

// Processor time of the calling thread, in nanoseconds: unlike the clock on
// the wall, it leaves out the time other programs had the processor.
qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The recording's own work on the window's thread: each 16 KB batch of
// `data`, paced to 10 MB/s, handed to a channel's recording the way a
// received batch is. Returns the mean and the longest processor time per
// batch in microseconds.
std::pair<double, double> workPerBatch(const QByteArray &data, RecordKind kind, const QString &path)
{
    CaptureSession session;
    Channel &channel = session.channel(1);
    channel.setFormat(ReceiveFormat::Hex);
    session.recordings().start(RecordSource::channel(1), kind, path, FileWriter::Existing::Replace);
    constexpr qsizetype batch = 16384;
    QElapsedTimer pace;
    pace.start();
    qint64 total = 0, longest = 0, count = 0;
    for (qsizetype at = 0; at < data.size(); at += batch, ++count) {
        while (pace.nsecsElapsed() < at * 100) // 100 ns per byte: 10 MB/s
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const QByteArray piece = data.mid(at, batch);
        const qint64 before = threadCpuNs();
        emit channel.batchReceived(piece, ArrivalClock::read());
        const qint64 spent = threadCpuNs() - before;
        total += spent;
        longest = qMax(longest, spent);
    }
    session.recordings().stopAll();
    session.recordings().waitForFiles();
    return {total / 1e3 / count, longest / 1e3};
}

} // namespace

void recordingBench(BenchTable &table, bool quick)
{
    // 20 MB shows as 60 MB of Hex: below the pane's 64 MB growth step, whose
    // own stall (see the "stall" section) would hide what recording adds.
    const qsizetype size = quick ? 5000000 : 20000000;
    const QByteArray data = randomData(size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("recording"));
    // Seven runs each, taken in turn so a busy moment of the machine does not
    // fall on one kind alone; the median stall is compared.
    const std::optional<RecordKind> kinds[] = {std::nullopt, RecordKind::Raw, RecordKind::Log};
    constexpr int rounds = 7;
    QList<Run> runs[3];
    for (int round = 0; round < rounds; ++round)
        for (int k = 0; k < 3; ++k)
            runs[k] << streamOnce(data, kinds[k], path);
    double medianOff = 0;
    for (int k = 0; k < 3; ++k) {
        QList<double> stalls;
        double seconds = 0;
        bool exact = true;
        for (const Run &run : runs[k]) {
            stalls << run.stallMs;
            seconds += run.seconds;
            exact = exact && run.exact;
        }
        std::sort(stalls.begin(), stalls.end());
        const double median = stalls.at(rounds / 2);
        QStringList each;
        for (const double stall : stalls)
            each << QString::number(stall, 'f', 1);
        const QString stallText = QStringLiteral("longest UI stall, median %1 ms (runs: %2 ms)")
                                      .arg(median, 0, 'f', 1)
                                      .arg(each.join(QStringLiteral(", ")));
        const QString rate =
            QString::number(rounds * size / seconds / 1e6, 'f', 2) + QStringLiteral(" MB/s");
        if (k == 0) {
            medianOff = median;
            table.row(QStringLiteral("recording off, TCP Hex Real Time at 10 MB/s, %1 MB")
                          .arg(size / 1000000),
                      rate + QStringLiteral("; ") + stallText);
            continue;
        }
        const double extra = median - medianOff;
        table.row(QStringLiteral("recording %1, TCP Hex Real Time at 10 MB/s, %2 MB")
                      .arg(k == 1 ? "raw (.bin)" : "as a Hex log (.log)")
                      .arg(size / 1000000),
                  rate +
                      (exact ? QStringLiteral(", every byte in the file")
                             : QStringLiteral(", **FILE DIFFERS**")) +
                      QStringLiteral("; ") + stallText +
                      QStringLiteral(", %1%2 ms against off")
                          .arg(extra >= 0 ? "+" : "")
                          .arg(extra, 0, 'f', 1),
                  QStringLiteral("exact; stall <= off + 2 ms"), exact && extra <= 2.0);
    }
    for (const RecordKind kind : {RecordKind::Raw, RecordKind::Log}) {
        const auto [mean, longest] = workPerBatch(data, kind, path);
        table.row(QStringLiteral("recording %1 at 10 MB/s: processor time on the window's "
                                 "thread per 16 KB batch")
                      .arg(kind == RecordKind::Raw ? "raw" : "as a Hex log"),
                  QStringLiteral("mean %1 us, longest %2 us")
                      .arg(mean, 0, 'f', 1)
                      .arg(longest, 0, 'f', 1),
                  QStringLiteral("longest <= 2 ms"), longest <= 2000);
    }
}
