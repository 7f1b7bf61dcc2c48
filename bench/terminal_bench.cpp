#include "terminal_bench.h"

#include "bench_program.h"
#include "bench_table.h"
#include "process_memory.h"
#include "shown_pane.h"
#include "stream_writer.h"

#include "core/channel_receiver.h"
#include "core/pane/pane_text.h"
#include "core/receive_tuning.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <ctime>
#include <malloc.h>
#include <unistd.h>

namespace {

// Console lines with colours, as a boot log or a coloured ls sends them:
// a green number, a yellow bold word, plain text between.
QByteArray colouredConsoleLines(qsizetype size)
{
    QByteArray data;
    data.reserve(size + 128);
    for (int line = 0; data.size() < size; ++line)
        data += "\x1b[32m" + QByteArray::number(line).rightJustified(8, '0') +
                "\x1b[0m T=23.4C \x1b[1;33mWARN\x1b[0m P=1013.2hPa status ok, reading steady\r\n";
    data.truncate(size);
    return data;
}

// Window-thread CPU seconds per MB for `data` through a pty into channel 2.
double cpuPerMB(const QByteArray &data, ReceiveFormat format, bool *complete)
{
    Program program;
    program.choose(2, "optRT", "optASCII");
    Channel &channel = program.session.channel(2);
    channel.setFormat(format);
    Source source;
    const int fd = attach(program, source);
    StreamWriter writer(fd, data, 4096, 0);
    const double before = threadCpuSeconds();
    writer.start();
    *complete =
        runLoopUntil([&] { return channel.receivedCount() >= data.size(); }, 300000) && *complete;
    QCoreApplication::processEvents(); // the last frame shown
    const double perMB = (threadCpuSeconds() - before) / (data.size() / 1048576.0);
    writer.join();
    return perMB;
}

double terminalBenchMedian(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

void terminalBench(BenchTable &table, bool quick)
{
    const qsizetype size = quick ? 2 * 1024 * 1024 : 20 * 1024 * 1024;
    const QByteArray data = colouredConsoleLines(size);
    bool complete = true;
    // Alternated runs, medians compared: the machine's load moves figures
    // from one run to the next. "One by one" appends each scrolled-off line
    // to the pane on its own (ReceiveTuning::gatherTerminalLines off).
    constexpr int kRounds = 3;
    QList<double> ascii, terminal, oneByOne;
    for (int round = 0; round < kRounds; ++round) {
        ascii.append(cpuPerMB(data, ReceiveFormat::Ascii, &complete));
        receiveTuning().gatherTerminalLines = false;
        oneByOne.append(cpuPerMB(data, ReceiveFormat::Terminal, &complete));
        receiveTuning().gatherTerminalLines = true;
        terminal.append(cpuPerMB(data, ReceiveFormat::Terminal, &complete));
    }
    const double asciiMedian = terminalBenchMedian(ascii);
    const double terminalMedian = terminalBenchMedian(terminal);
    const double oneByOneMedian = terminalBenchMedian(oneByOne);
    table.row(QStringLiteral("end-to-end CPU per MB, pty, Terminal vs ASCII, %1 MB of coloured "
                             "console lines, medians of %2 alternated runs")
                  .arg(size / 1048576)
                  .arg(kRounds),
              QStringLiteral("ASCII %1, Terminal %2 CPU s/MB (%3x); lines one by one %4 (%5x)%6")
                  .arg(asciiMedian, 0, 'f', 4)
                  .arg(terminalMedian, 0, 'f', 4)
                  .arg(terminalMedian / asciiMedian, 0, 'f', 2)
                  .arg(oneByOneMedian, 0, 'f', 4)
                  .arg(oneByOneMedian / asciiMedian, 0, 'f', 2)
                  .arg(complete ? QString() : QStringLiteral(", **INCOMPLETE**")),
              QStringLiteral("Terminal <= 3x ASCII"),
              complete && terminalMedian <= 3 * asciiMedian);

    // Memory per character of Terminal history in a shown pane.
    const qsizetype held = quick ? 5 * 1000 * 1000 : 50 * 1000 * 1000;
    const QByteArray chunk = colouredConsoleLines(65536);
    ::malloc_trim(0);
    const qint64 before = residentBytes();
    ShownPane pane;
    ChannelModes modes;
    modes.format = ReceiveFormat::Terminal;
    ChannelModule module;
    ChannelReceiver receiver(modes, module, pane.text);
    for (qsizetype fed = 0; fed < held; fed += chunk.size()) {
        receiver.receiveSerial(chunk);
        QCoreApplication::processEvents();
    }
    pane.text.finishSpilling();
    pane.view.flushPendingUpdate();
    const double perChar = double(residentBytes() - before) / pane.text.size();
    const double stylesPerChar = double(pane.text.styles().memoryBytes()) / pane.text.size();
    table.row(QStringLiteral("resident memory per character of Terminal history, coloured console "
                             "lines, %1 MB received")
                  .arg(held / 1000000),
              QStringLiteral("%1 bytes (colours %2 bytes)")
                  .arg(perChar, 0, 'f', 3)
                  .arg(stylesPerChar, 0, 'f', 3),
              QStringLiteral("<= 4 bytes"), perChar <= 4);
}
