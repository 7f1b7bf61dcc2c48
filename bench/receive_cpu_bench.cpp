#include "receive_cpu_bench.h"

#include "bench_program.h"
#include "bench_table.h"
#include "fresh_memory.h"
#include "paint_counter.h"
#include "process_memory.h"
#include "processors.h"
#include "stream_writer.h"

#include "core/pane/pane_text.h"
#include "core/receive_tuning.h"

#include <QMap>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <thread>

namespace {

// Lines of printable text ending in CR LF, as a logging device sends them.
QByteArray textLines(qsizetype size)
{
    QByteArray data;
    data.reserve(size);
    for (int line = 0; data.size() < size; ++line)
        data += QByteArray::number(line).rightJustified(8, '0') +
                " T=23.4C P=1013.2hPa RH=40% status ok, reading steady\r\n";
    data.truncate(size);
    return data;
}

// The whole process's processor time, every thread's: the window's, the
// spill file's writer, Qt's own. The benchmark's writer thread plays the
// device and is taken off by the caller. VARNOK_CPU_CLOCK=thread counts the
// window's thread alone (where the receive path runs), as the benchmark did
// before it counted every thread, to compare with builds of that time.
bool countsWindowThreadOnly()
{
    static const bool only = qEnvironmentVariable("VARNOK_CPU_CLOCK") == QLatin1String("thread");
    return only;
}

double processSeconds()
{
    return countsWindowThreadOnly() ? threadCpuSeconds() : processCpuSeconds();
}

// The writer's processor time, to take off the whole process's.
double writerSeconds(const StreamWriter &writer)
{
    return countsWindowThreadOnly() ? 0 : writer.cpuSeconds();
}

// Where the threads of a run keep to: the reading thread (the window's, or
// the bare reader) on one processor, the writer playing the device on the
// other, the same in every run, as this machine's processors can differ in
// speed by more than the goals' margins.
struct ReadingProcessors
{
    int reader = -1;
    int writer = -1;
};

// The kernel's own cost per MB of a pseudo-terminal: a bare reader of its
// terminal side (64 KB blocking reads, nothing done with the bytes) while
// the same writer feeds the same data, counted the same way as the program.
double bareReaderCpuPerMB(const QByteArray &data, const ReadingProcessors &processors)
{
    Pty pty;
    StreamWriter writer(pty.master, data, 4096, 0);
    writer.setProcessor(processors.writer);
    waitForQuietProcess();
    const double before = processSeconds();
    std::thread reader([&pty, total = data.size(), &processors] {
        keepThreadOn(processors.reader);
        QByteArray sink(64 * 1024, Qt::Uninitialized);
        for (qsizetype got = 0; got < total;) {
            const ssize_t n = ::read(pty.slave, sink.data(), size_t(sink.size()));
            if (n <= 0 && errno != EINTR)
                break;
            got += std::max<ssize_t>(n, 0);
        }
    });
    writer.start();
    reader.join();
    writer.join();
    return (processSeconds() - before - writerSeconds(writer)) / (data.size() / 1048576.0);
}

QString receiveCpuCaseName(bool tcp, bool hex)
{
    return QStringLiteral("%1-%2").arg(tcp ? "tcp" : "pty", hex ? "hex" : "ascii");
}

double receiveCpuMedian(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// One run of the program receiving `data`: its whole process's processor
// time per MB, less the writer's.
double receiveCpuPerMB(const QByteArray &data, bool tcp, bool hex, bool tuned,
                       const ReadingProcessors &processors, bool *complete, qsizetype warmBytes = 0)
{
    receiveTuning() = tuned ? ReceiveTuning() : ReceiveTuning{false, false};
    Program program;
    const int n = tcp ? 1 : 2;
    program.choose(n, "optRT", hex ? "optHex" : "optASCII");
    Source source;
    source.tcp = tcp;
    const int fd = attach(program, source);
    const PaneText &pane = program.session.channel(n).pane();
    const qsizetype expected = hex ? data.size() * 3 : data.size();
    StreamWriter writer(fd, data, 4096, 0);
    writer.setProcessor(processors.writer);
    if (warmBytes > 0)
        warmNewMemory(warmBytes);
    waitForQuietProcess();
    const double before = processSeconds();
    writer.start();
    *complete = runLoopUntil([&] { return pane.size() >= expected; }, 300000) && *complete;
    writer.join();
    return (processSeconds() - before - writerSeconds(writer)) / (data.size() / 1048576.0);
}

} // namespace

void receiveCpuBench(BenchTable &table, bool quick)
{
    const qsizetype size = quick ? 2 * 1024 * 1024 : 32 * 1024 * 1024;
    const QByteArray data = textLines(size);
    // bench/profile_receive.sh profiles one case as it runs now:
    // VARNOK_CPU_CASE=pty-ascii, pty-hex, tcp-ascii or tcp-hex.
    const QString onlyCase = qEnvironmentVariable("VARNOK_CPU_CASE");
    // The bare reader is a thread of its own: no floor when one thread counts.
    const bool withFloor = onlyCase.isEmpty() && !countsWindowThreadOnly();
    if (onlyCase.isEmpty())
        processorSpeedRow(
            table,
            QStringLiteral("append the same %1 MB in 4 KB pieces to a pane").arg(size / 1048576),
            [&data] {
                PaneText pane;
                const double before = threadCpuSeconds();
                for (qsizetype at = 0; at < data.size(); at += 4096)
                    pane.append(QByteArrayView(data).sliced(
                        at, std::min<qsizetype>(4096, data.size() - at)));
                return threadCpuSeconds() - before;
            });
    if (onlyCase.isEmpty())
        freshMemoryRow(table, 3 * size); // a Hex pane's text of the data
    // Rounds alternate every run (the floor, then each case before and
    // after), and the rows compare medians: this machine's speed moves from
    // one moment to the next, and more for a pty, whose reads come in
    // pieces as the two sides happen to run.
    // VARNOK_CPU_ROUNDS sets the rounds (a profile of warm runs, not a first).
    const int rounds = qEnvironmentVariableIsSet("VARNOK_CPU_ROUNDS")
                           ? std::max(1, qEnvironmentVariableIntValue("VARNOK_CPU_ROUNDS"))
                       : onlyCase.isEmpty() ? (quick ? 3 : 5)
                                            : 1;
    const KeptOnThisProcessor kept;
    const ReadingProcessors processors{kept.processor(), kept.other()};
    QList<double> floors;
    QMap<QString, QList<double>> perMB[2]; // by case, before and after
    // A pty case, or TCP Hex (the largest text), after, its new memory
    // warmed first: how much of a case's cost is this machine's price of
    // memory it took back (see the machine row of new memory).
    QMap<QString, QList<double>> warmed;
    const auto warmBytes = [size](bool hex) {
        return 2 * (hex ? 3 * size : size);
    };
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        if (withFloor)
            floors.append(bareReaderCpuPerMB(data, processors));
        for (const bool tcp : {false, true}) {
            for (const bool hex : {false, true}) {
                const QString name = receiveCpuCaseName(tcp, hex);
                if (!onlyCase.isEmpty() && onlyCase != name)
                    continue;
                // Before: without the receive path's savings; after: as it runs.
                for (const bool tuned : {false, true}) {
                    if (!onlyCase.isEmpty() && !tuned)
                        continue;
                    perMB[tuned][name].append(
                        receiveCpuPerMB(data, tcp, hex, tuned, processors, &complete));
                }
                if (withFloor && (!tcp || hex))
                    warmed[name].append(receiveCpuPerMB(data, tcp, hex, true, processors, &complete,
                                                        warmBytes(hex)));
            }
        }
    }
    receiveTuning() = ReceiveTuning();
    if (onlyCase.isEmpty()) {
        // Not timed: what a flood's frames paint.
        const PaintCounter painted;
        receiveCpuPerMB(data, false, false, true, processors, &complete);
        table.row(QStringLiteral("diagnostic: paint events by widget while a pane takes %1 MB of "
                                 "pty ASCII text, after, one run")
                      .arg(size / 1048576),
                  painted.summary());
    }
    const double floor = withFloor ? receiveCpuMedian(floors) : 0;
    if (withFloor)
        table.row(QStringLiteral("floor: a bare reader of the same pty (64 KB reads), %1 MB of "
                                 "text lines, whole process, median of %2 runs, reading on "
                                 "processor %3, writing on %4")
                      .arg(size / 1048576)
                      .arg(rounds)
                      .arg(processors.reader)
                      .arg(processors.writer),
                  QStringLiteral("%1 CPU s/MB").arg(floor, 0, 'f', 4), QString());
    for (const bool tcp : {false, true}) {
        for (const bool hex : {false, true}) {
            const QString name = receiveCpuCaseName(tcp, hex);
            if (!onlyCase.isEmpty() && onlyCase != name)
                continue;
            const double before = receiveCpuMedian(perMB[0].value(name));
            const double after = receiveCpuMedian(perMB[1].value(name));
            const QString rowName =
                QStringLiteral("end-to-end CPU per MB, whole process, %1, %2, %3 MB of text "
                               "lines, medians of %4 alternated runs, reading on processor %5, "
                               "writing on %6")
                    .arg(tcp ? QStringLiteral("TCP 127.0.0.1") : QStringLiteral("pty"))
                    .arg(hex ? QStringLiteral("Hex") : QStringLiteral("ASCII"))
                    .arg(size / 1048576)
                    .arg(rounds)
                    .arg(processors.reader)
                    .arg(processors.writer);
            const QString figures =
                QStringLiteral("before %1, after %2 CPU s/MB%3")
                    .arg(before, 0, 'f', 4)
                    .arg(after, 0, 'f', 4)
                    .arg(complete ? QString() : QStringLiteral(", **INCOMPLETE**"));
            if (tcp || floor <= 0) {
                table.row(rowName, figures, QStringLiteral("after <= before"),
                          complete && after <= before);
                continue;
            }
            // Against the kernel's own cost of the same pty.
            const double goal = hex ? 2.5 : 1.6;
            table.row(rowName,
                      QStringLiteral("%1 (%2x the bare reader)")
                          .arg(figures)
                          .arg(after / floor, 0, 'f', 2),
                      QStringLiteral("after <= %1x the bare reader, after <= before").arg(goal),
                      complete && after <= goal * floor && after <= before);
        }
    }
    for (const bool tcp : {false, true}) {
        for (const bool hex : {false, true}) {
            const QList<double> runs = warmed.value(receiveCpuCaseName(tcp, hex));
            if (runs.isEmpty())
                continue;
            const double after = receiveCpuMedian(runs);
            table.row(QStringLiteral("diagnostic: end-to-end CPU per MB, whole process, %1, %2, "
                                     "after, %3 MB of new memory made present and given back "
                                     "just before each run, medians of %4 runs in the same rounds")
                          .arg(tcp ? QStringLiteral("TCP 127.0.0.1") : QStringLiteral("pty"))
                          .arg(hex ? QStringLiteral("Hex") : QStringLiteral("ASCII"))
                          .arg(warmBytes(hex) >> 20)
                          .arg(runs.size()),
                      QStringLiteral("after %1 CPU s/MB%2%3")
                          .arg(after, 0, 'f', 4)
                          .arg(tcp ? QString()
                                   : QStringLiteral(" (%1x the bare reader)")
                                         .arg(after / floor, 0, 'f', 2))
                          .arg(complete ? QString() : QStringLiteral(", **INCOMPLETE**")),
                      QString());
        }
    }
}
