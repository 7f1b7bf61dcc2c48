#include "plot_bench.h"

#include "bench_program.h"
#include "bench_table.h"
#include "process_memory.h"
#include "processors.h"
#include "stream_writer.h"

#include "core/pane/pane_text.h"
#include "core/plot/plot_store.h"
#include "core/plot/ready_blocks.h"
#include "devices/channel_plot.h"
#include "ui/plot_view.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <ctime>

namespace {

double plotBenchMedian(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// Four series of one line each, a millisecond apart, as an instrument sends.
void fillPlot(PlotStore &store, qsizetype pointsPerSeries, qint64 start, qint64 stepMs)
{
    const QByteArray names[] = {"T", "P", "RH", "V"};
    QList<FoundNumber> line(4);
    for (int i = 0; i < 4; ++i)
        line[i] = {names[i], 0, "C"};
    for (qsizetype n = 0; n < pointsPerSeries; ++n) {
        for (int i = 0; i < 4; ++i)
            line[i].value = double((n * (i + 3)) % 1000) * 0.1;
        store.add(line, start + n * stepMs);
    }
}

void appendsAndMemory(BenchTable &table, bool quick)
{
    const qsizetype perSeries = quick ? 1'000'000 : 5'000'000;
    PlotStore store(qsizetype(1) << 40); // no spill: memory as held
    QElapsedTimer timer;
    timer.start();
    fillPlot(store, perSeries, 1'700'000'000'000, 1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double perSecond = double(store.pointCount()) / seconds;
    table.row(QStringLiteral("plot points appended, 4 series of %1 M points").arg(perSeries / 1e6),
              QStringLiteral("%1 M points/s").arg(perSecond / 1e6, 0, 'f', 1),
              QStringLiteral(">= 5 M points/s"), perSecond >= 5e6);
    const double bytes = double(store.memoryBytes()) / double(store.pointCount());
    table.row(QStringLiteral("plot memory per point held in memory"),
              QStringLiteral("%1 B").arg(bytes, 0, 'f', 2), QStringLiteral("<= 16 B"), bytes <= 16);
}

void repaint(BenchTable &table, bool quick)
{
    const qsizetype perSeries = quick ? 1'000'000 : 10'000'000;
    ChannelPlot plot;
    plot.setFollowSeconds(0);
    plot.store().setThreshold(qsizetype(1) << 40);
    const qint64 start = 1'700'000'000'000;
    fillPlot(plot.store(), perSeries, start, 1);
    PlotView view(plot);
    view.resize(1200, 700);
    QImage image(view.size(), QImage::Format_RGB32);
    for (const bool whole : {true, false}) {
        if (whole) {
            view.showWhole();
        } else {
            // About a second in the middle, zoomed in from the whole capture
            // with the + key.
            view.showWhole();
            while (view.span().second - view.span().first > 1000) {
                QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier);
                QCoreApplication::sendEvent(&view, &plus);
            }
        }
        QList<double> ms;
        for (int run = 0; run < 11; ++run) {
            QElapsedTimer timer;
            timer.start();
            QPainter painter(&image);
            view.paintPlot(painter, view.size());
            painter.end();
            ms.append(double(timer.nsecsElapsed()) / 1e6);
        }
        const double median = plotBenchMedian(ms);
        const qint64 shownMs = view.span().second - view.span().first;
        table.row(QStringLiteral("plot repaint, 4 series of %1 M points, %2 (%3 ms shown), "
                                 "1200 x 700, median of 11")
                      .arg(perSeries / 1e6)
                      .arg(whole ? QStringLiteral("whole capture") : QStringLiteral("zoomed in"))
                      .arg(shownMs),
                  QStringLiteral("%1 ms").arg(median, 0, 'f', 2), QStringLiteral("<= 16 ms"),
                  median <= 16);
    }
}

// One row of the receive CPU: plotting on against off, medians.
void receiveCpuRow(BenchTable &table, const QString &whose, qsizetype size,
                   const QList<double> (&perMB)[2], bool complete)
{
    const double off = plotBenchMedian(perMB[0]);
    const double on = plotBenchMedian(perMB[1]);
    const double more = (on / off - 1) * 100;
    table.row(QStringLiteral("receive CPU per MB%1, pty, ASCII, %2 MB of key=value lines, plotting "
                             "off / on (medians of %3 alternated runs, the window's thread on one "
                             "processor, the writer on the other)")
                  .arg(whose)
                  .arg(size / 1048576)
                  .arg(perMB[0].size()),
              QStringLiteral("off %1, on %2 CPU s/MB (%3%4 %)%5")
                  .arg(off, 0, 'f', 4)
                  .arg(on, 0, 'f', 4)
                  .arg(more >= 0 ? "+" : "")
                  .arg(more, 0, 'f', 1)
                  .arg(complete ? QString() : QStringLiteral(", **INCOMPLETE**")),
              QStringLiteral("on within 20 % of off"), complete && more <= 20);
}

// The receive rows' text: numbered key=value lines, `size` bytes of them.
QByteArray plotReceiveText(qsizetype size)
{
    QByteArray data;
    for (int line = 0; data.size() < size; ++line)
        data += QByteArray::number(line).rightJustified(8, '0') +
                " T=23.4C P=1013.2hPa RH=40% status ok, reading steady\r\n";
    data.truncate(size);
    return data;
}

// Plotting's reading of `data` in 4 KB batches, on a plot made ready first.
void readForPlot(QByteArrayView data)
{
    ChannelPlot plot;
    plot.setOn(true);
    for (qsizetype at = 0; at < data.size(); at += 4096)
        plot.receive(data.sliced(at, std::min<qsizetype>(4096, data.size() - at)),
                     1000 + at / 1000);
}

// The receiving thread's processor time, and the whole process's (less the
// benchmark's writer, which plays the device): plotting's memory is made
// ready on a thread of its own, which the second counts.
void receiveCpu(BenchTable &table, bool quick)
{
    const qsizetype size = quick ? 4 * 1024 * 1024 : 16 * 1024 * 1024;
    const QByteArray data = plotReceiveText(size);
    QList<double> threadPerMB[2];
    QList<double> processPerMB[2];
    bool complete = true;
    const double megabytes = size / 1048576.0;
    processorSpeedRow(
        table,
        QStringLiteral("plotting's reading of the same %1 MB in 4 KB batches").arg(size / 1048576),
        [&data] {
            const double before = threadCpuSeconds();
            readForPlot(data);
            return threadCpuSeconds() - before;
        });
    const KeptOnThisProcessor kept;
    std::size_t missed = 0;
    for (int run = 0; run < (quick ? 3 : 5); ++run) {
        for (const bool on : {false, true}) {
            Program program;
            program.choose(2, "optRT", "optASCII");
            waitForQuietProcess();
            const double processBefore = processCpuSeconds();
            program.session.channel(2).plot().setOn(on);
            const std::size_t missedBefore = ReadyBlocks::missed();
            Source source;
            const int fd = attach(program, source);
            const PaneText &pane = program.session.channel(2).pane();
            StreamWriter writer(fd, data, 4096, 0);
            writer.setProcessor(kept.other()); // the device's data comes from elsewhere
            const double before = threadCpuSeconds();
            writer.start();
            complete = runLoopUntil([&] { return pane.size() >= size; }, 300000) && complete;
            threadPerMB[on].append((threadCpuSeconds() - before) / megabytes);
            writer.join();
            processPerMB[on].append((processCpuSeconds() - processBefore - writer.cpuSeconds()) /
                                    megabytes);
            missed += ReadyBlocks::missed() - missedBefore;
        }
    }
    table.row(QStringLiteral("machine: plot memory the receiving thread found not ready in the "
                             "runs above, so made present itself (a 1 MB block or a 64 KB "
                             "pyramid chunk each)"),
              QString::number(missed));
    receiveCpuRow(table, QString(), size, threadPerMB, complete);
    receiveCpuRow(table, QStringLiteral(", whole process"), size, processPerMB, complete);
    // What plotting adds in itself: the same from pair to pair, where "off"
    // moves with the machine's state and takes the ratio with it.
    const auto added = [](const QList<double>(&perMB)[2]) {
        QList<double> differences;
        for (qsizetype i = 0; i < perMB[0].size(); ++i)
            differences.append(perMB[1].at(i) - perMB[0].at(i));
        return plotBenchMedian(differences);
    };
    const auto [lowest, highest] =
        std::minmax_element(threadPerMB[0].begin(), threadPerMB[0].end());
    table.row(QStringLiteral("diagnostic: receive CPU per MB that plotting adds, on less off in "
                             "each alternated pair, medians of %1 pairs")
                  .arg(threadPerMB[0].size()),
              QStringLiteral("receiving thread %1, whole process %2 CPU s/MB (the thread's "
                             "\"off\" from %3 to %4)")
                  .arg(added(threadPerMB), 0, 'f', 4)
                  .arg(added(processPerMB), 0, 'f', 4)
                  .arg(*lowest, 0, 'f', 4)
                  .arg(*highest, 0, 'f', 4));
}

} // namespace

void plotBench(BenchTable &table, bool quick)
{
    const QString part = qEnvironmentVariable("VARNOK_PLOT_PART");
    // VARNOK_PLOT_PART=reading: plotting's reading of 4 MB once, nothing
    // timed, for a count of its instructions (bench/plot_reading_instructions.sh).
    if (part == QLatin1String("reading")) {
        const QByteArray data = plotReceiveText(4 * 1024 * 1024);
        readForPlot(data);
        table.row(QStringLiteral("plotting's reading, once: lines read"),
                  QString::number(data.count('\n')));
        return;
    }
    // VARNOK_PLOT_PART=receive: the receive rows alone (a profile of them).
    if (part != QLatin1String("receive")) {
        appendsAndMemory(table, quick);
        repaint(table, quick);
    }
    receiveCpu(table, quick);
}
