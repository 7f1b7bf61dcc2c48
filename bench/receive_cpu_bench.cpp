#include "receive_cpu_bench.h"

#include "bench_program.h"
#include "bench_table.h"
#include "stream_writer.h"

#include "core/pane/pane_text.h"
#include "core/receive_tuning.h"


#include <ctime>

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

// This thread's processor time: the window's thread, where the whole
// receive path runs; the writer's thread is not counted.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

} // namespace

void receiveCpuBench(BenchTable &table, bool quick)
{
    const qsizetype size = quick ? 2 * 1024 * 1024 : 32 * 1024 * 1024;
    const QByteArray data = textLines(size);
    // bench/profile_receive.sh profiles one case as it runs now:
    // VARNOK_CPU_CASE=pty-ascii, pty-hex, tcp-ascii or tcp-hex.
    const QString onlyCase = qEnvironmentVariable("VARNOK_CPU_CASE");
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
                const double before = threadSeconds();
                writer.start();
                complete =
                    runLoopUntil([&] { return pane.size() >= expected; }, 300000) && complete;
                cpuPerMB[tuned] = (threadSeconds() - before) / (size / 1048576.0);
                writer.join();
            }
            receiveTuning() = ReceiveTuning();
            const double goal = hex ? 0.010 : 0.006;
            table.row(QStringLiteral("end-to-end CPU per MB, %1, %2, %3 MB of text lines")
                          .arg(tcp ? QStringLiteral("TCP 127.0.0.1") : QStringLiteral("pty"))
                          .arg(hex ? QStringLiteral("Hex") : QStringLiteral("ASCII"))
                          .arg(size / 1048576),
                      QStringLiteral("before %1, after %2 CPU s/MB%3")
                          .arg(cpuPerMB[0], 0, 'f', 4)
                          .arg(cpuPerMB[1], 0, 'f', 4)
                          .arg(complete ? QString() : QStringLiteral(", **INCOMPLETE**")),
                      QStringLiteral("after <= %1 CPU s/MB").arg(goal, 0, 'f', 3),
                      complete && cpuPerMB[1] <= goal);
        }
    }
}
