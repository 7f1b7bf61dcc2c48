#include "wrap_bench.h"

#include "bench_table.h"
#include "shown_pane.h"
#include "stall_meter.h"

#include "core/byte_text.h"
#include "core/pane/pane_text.h"
#include "ui/capture_pane.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScrollBar>

#include <functional>

namespace {

// Hex as a Real Time pane shows it: " 41 42 ...", no line breaks.
QByteArray hexText(qsizetype size)
{
    QByteArray bytes(size / 3 + 1, Qt::Uninitialized);
    QRandomGenerator random(3);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    QByteArray out;
    ByteText::appendHexPieces(out, bytes, " ", {});
    out.truncate(size);
    return out;
}

// Lines of 39 bytes, CR LF included, numbered.
QByteArray lines39(qsizetype count, qsizetype first)
{
    QByteArray out;
    for (qsizetype i = first; i < first + count; ++i)
        out += "data " + QByteArray::number(i).rightJustified(32, '.') + "\r\n";
    return out;
}

void fill(ShownPane &pane, qsizetype total, const std::function<QByteArray(qsizetype)> &piece)
{
    QElapsedTimer frame;
    frame.start();
    while (pane.text.size() < total) {
        pane.text.append(piece(pane.text.size()));
        if (frame.elapsed() >= 16) {
            QCoreApplication::processEvents();
            frame.restart();
        }
    }
    QCoreApplication::processEvents();
    pane.view.flushPendingUpdate();
}

// The width in pixels at which a pane shows `columns` cells a row.
int widthFor(int columns)
{
    // A hidden widget gets its resize events only once shown.
    CapturePane probe;
    probe.resize(313, 169);
    probe.show();
    int width = 100;
    while (probe.columns() < columns) {
        probe.resize(++width, 169);
        QCoreApplication::processEvents();
    }
    return width;
}

struct Resize
{
    double eventMs = 0;
    double wrappedMs = 0;
    double stallMs = 0;
};

// Resizes the shown pane to `width` and repaints it, then runs the event
// loop until every line is wrapped at blanks again.
Resize resize(ShownPane &pane, int width)
{
    StallMeter meter;
    meter.start();
    QCoreApplication::processEvents();
    Resize result;
    QElapsedTimer clock;
    clock.start();
    pane.view.resize(width, 169);
    pane.view.viewport()->repaint();
    result.eventMs = clock.nsecsElapsed() / 1e6;
    while (pane.view.isWrapping())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    result.wrappedMs = clock.nsecsElapsed() / 1e6;
    QCoreApplication::processEvents();
    meter.stop();
    result.stallMs = meter.longestMs();
    return result;
}

QString describe(const Resize &r)
{
    return QStringLiteral("resize and repaint %1 ms; all wrapped at blanks after %2 ms; "
                          "longest stall %3 ms")
        .arg(r.eventMs, 0, 'f', 1)
        .arg(r.wrappedMs, 0, 'f', 0)
        .arg(r.stallMs, 0, 'f', 1);
}

void report(BenchTable &table, const QString &what, const Resize &r)
{
    table.row(what, describe(r), QStringLiteral("resize <= 16 ms, stall <= 16 ms"),
              r.eventMs <= 16 && r.stallMs <= 16);
}

void hexPane(BenchTable &table, bool quick)
{
    const qsizetype size = quick ? 5 * 1000 * 1000 : 50 * 1000 * 1000;
    const QString label = QStringLiteral("%1 MB Hex pane (one line)").arg(size / 1000000);
    const int narrow = widthFor(40);
    const int wide = widthFor(90);
    ShownPane pane;
    pane.view.resize(narrow, 169);
    const QByteArray piece = hexText(65536);
    fill(pane, size, [&piece](qsizetype) { return piece; });

    report(table, label + QStringLiteral(" at the bottom, 40 -> 90 columns"), resize(pane, wide));
    report(table, label + QStringLiteral(" at the bottom, 90 -> 40 columns"), resize(pane, narrow));
    QScrollBar *bar = pane.view.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    report(table, label + QStringLiteral(" in the middle, 40 -> 90 columns"), resize(pane, wide));

    const int bottom = bar->maximum();
    QStringList parts;
    double worst = 0;
    for (const auto &[name, value] :
         {std::pair{"top", 0}, std::pair{"middle", bottom / 2}, std::pair{"bottom", bottom}}) {
        double longest = 0;
        for (int i = 0; i < 20; ++i)
            longest = std::max(longest, repaintAt(pane.view, value));
        worst = std::max(worst, longest);
        parts << QStringLiteral("%1 %2 ms").arg(QLatin1String(name)).arg(longest, 0, 'f', 2);
    }
    table.row(label + QStringLiteral(", 90 columns: longest of 20 repaints"), parts.join(", "),
              QStringLiteral("<= 16 ms"), worst <= 16);

    // Appending while lines wait: the last line catches up with the pass.
    pane.view.resize(narrow, 169);
    QElapsedTimer clock;
    clock.start();
    StallMeter meter;
    meter.start();
    const QByteArray small = hexText(64);
    QElapsedTimer frame;
    frame.start();
    for (int i = 0; i < 20000; ++i) {
        pane.text.append(small);
        if (frame.elapsed() >= 16) {
            QCoreApplication::processEvents();
            frame.restart();
        }
    }
    while (pane.view.isWrapping())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    meter.stop();
    table.row(label + QStringLiteral(": 20000 appends of 64 B right after a resize"),
              QStringLiteral("all shown and wrapped at blanks after %1 ms; longest stall %2 ms")
                  .arg(clock.nsecsElapsed() / 1e6, 0, 'f', 0)
                  .arg(meter.longestMs(), 0, 'f', 1),
              QStringLiteral("stall <= 16 ms"), meter.longestMs() <= 16);
}

void manyLines(BenchTable &table, bool quick)
{
    const qsizetype lines = quick ? 3 * 1000 * 1000 : 30 * 1000 * 1000;
    const QString label = QStringLiteral("%1 M lines of 39 bytes").arg(lines / 1000000);
    // The lines take 37 cells.
    const int narrow = widthFor(30);
    const int wide = widthFor(60);
    ShownPane pane;
    pane.view.resize(wide, 169);
    const qsizetype perPiece = 1680; // about 64 kB
    QElapsedTimer clock;
    clock.start();
    fill(pane, lines * 39, [perPiece](qsizetype held) { return lines39(perPiece, held / 39); });
    const double fillSeconds = clock.nsecsElapsed() / 1e9;

    report(table,
           label + QStringLiteral(" at the bottom, 60 -> 30 columns (every line wraps; "
                                  "filling took %1 s)")
                       .arg(fillSeconds, 0, 'f', 1),
           resize(pane, narrow));
    report(table, label + QStringLiteral(" at the bottom, 30 -> 60 columns (none wraps)"),
           resize(pane, wide));
}

} // namespace

void wrapBench(BenchTable &table, bool quick)
{
    hexPane(table, quick);
    manyLines(table, quick);
}
