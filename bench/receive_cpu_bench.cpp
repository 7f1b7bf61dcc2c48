#include "receive_cpu_bench.h"

#include "bench_program.h"
#include "bench_table.h"
#include "process_memory.h"
#include "stream_writer.h"

#include "core/pane/pane_text.h"
#include "core/receive_tuning.h"

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

// The kernel's own cost per MB of a pseudo-terminal: a bare reader of its
// terminal side (64 KB blocking reads, nothing done with the bytes) while
// the same writer feeds the same data, counted the same way as the program.
double bareReaderCpuPerMB(const QByteArray &data)
{
    Pty pty;
    StreamWriter writer(pty.master, data, 4096, 0);
    const double before = processSeconds();
    std::thread reader([&pty, total = data.size()] {
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
    const double floor = withFloor ? bareReaderCpuPerMB(data) : 0;
    if (withFloor)
        table.row(
            QStringLiteral("floor: a bare reader of the same pty (64 KB reads), %1 MB of text "
                           "lines, whole process")
                .arg(size / 1048576),
            QStringLiteral("%1 CPU s/MB").arg(floor, 0, 'f', 4), QString());
    for (const bool tcp : {false, true}) {
        for (const bool hex : {false, true}) {
            const QString name =
                QStringLiteral("%1-%2").arg(tcp ? "tcp" : "pty", hex ? "hex" : "ascii");
            if (!onlyCase.isEmpty() && onlyCase != name)
                continue;
            double cpuPerMB[2] = {};
            bool complete = true;
            // Before: without the receive path's savings; after: as it runs.
            for (const bool tuned : {false, true}) {
                if (!onlyCase.isEmpty() && !tuned)
                    continue;
                receiveTuning() = tuned ? ReceiveTuning() : ReceiveTuning{false, false};
                Program program;
                const int n = tcp ? 1 : 2;
                program.choose(n, "optRT", hex ? "optHex" : "optASCII");
                Source source;
                source.tcp = tcp;
                const int fd = attach(program, source);
                const PaneText &pane = program.session.channel(n).pane();
                const qsizetype expected = hex ? size * 3 : size;
                StreamWriter writer(fd, data, 4096, 0);
                const double before = processSeconds();
                writer.start();
                complete =
                    runLoopUntil([&] { return pane.size() >= expected; }, 300000) && complete;
                writer.join();
                cpuPerMB[tuned] =
                    (processSeconds() - before - writerSeconds(writer)) / (size / 1048576.0);
            }
            receiveTuning() = ReceiveTuning();
            const QString rowName =
                QStringLiteral("end-to-end CPU per MB, whole process, %1, %2, %3 MB of text lines")
                    .arg(tcp ? QStringLiteral("TCP 127.0.0.1") : QStringLiteral("pty"))
                    .arg(hex ? QStringLiteral("Hex") : QStringLiteral("ASCII"))
                    .arg(size / 1048576);
            const QString figures =
                QStringLiteral("before %1, after %2 CPU s/MB%3")
                    .arg(cpuPerMB[0], 0, 'f', 4)
                    .arg(cpuPerMB[1], 0, 'f', 4)
                    .arg(complete ? QString() : QStringLiteral(", **INCOMPLETE**"));
            if (tcp || floor <= 0) {
                table.row(rowName, figures, QStringLiteral("after <= before"),
                          complete && cpuPerMB[1] <= cpuPerMB[0]);
                continue;
            }
            // Against the kernel's own cost of the same pty.
            const double goal = hex ? 2.5 : 1.6;
            table.row(rowName,
                      QStringLiteral("%1 (%2x the bare reader)")
                          .arg(figures)
                          .arg(cpuPerMB[1] / floor, 0, 'f', 2),
                      QStringLiteral("after <= %1x the bare reader, after <= before").arg(goal),
                      complete && cpuPerMB[1] <= goal * floor && cpuPerMB[1] <= cpuPerMB[0]);
        }
    }
}
