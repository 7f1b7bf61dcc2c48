#include "find_bench.h"

#include "bench_table.h"
#include "core/pane/pane_search.h"
#include "core/pane/pane_text.h"
#include "shown_pane.h"
#include "stall_meter.h"
#include "ui/pane_find_box.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

// Instrument lines of about 40 bytes; "OK" on every line, and never a 'Q'
// nor "NOT THERE".
QByteArray instrumentLines(qsizetype size)
{
    QByteArray text;
    text.reserve(size + 64);
    for (qint64 n = 0; text.size() < size; ++n)
        text += "t=" + QByteArray::number(n).rightJustified(9, '0') + " V=3." +
                QByteArray::number(n % 9973).rightJustified(4, '0') + " I=0.0412 OK\r\n";
    text.truncate(size);
    return text;
}

// The slowest of several runs of one step, in ms.
double slowestMs(const std::function<PaneSearch::Match()> &step, PaneSearch::Match &last)
{
    double slowest = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        last = step();
        slowest = std::max(slowest, clock.nsecsElapsed() / 1e6);
    }
    return slowest;
}

void measure(BenchTable &table, const PaneText &pane, const QString &what, const QString &text,
             bool matchCase, bool forward, qsizetype from)
{
    const PaneSearch search(text, matchCase);
    PaneSearch::Match match;
    const double ms = slowestMs(
        [&] { return forward ? search.next(pane, from) : search.previous(pane, from); }, match);
    const QString result =
        match.found() ? QStringLiteral("%1 ms (found at %2)").arg(ms, 0, 'f', 1).arg(match.start)
                      : QStringLiteral("%1 ms").arg(ms, 0, 'f', 1);
    table.row(what, result, QStringLiteral("<= 100 ms"), ms <= 100);
}

void measurePane(BenchTable &table, const PaneText &pane, const QString &kind)
{
    const qsizetype size = pane.size();
    const QString name = QStringLiteral("find, %1 MB pane %2: ").arg(size >> 20).arg(kind);
    measure(table, pane, name + QStringLiteral("Next, not there, match case"),
            QStringLiteral("NOT THERE"), true, true, size / 2);
    measure(table, pane, name + QStringLiteral("Next, not there, any case"),
            QStringLiteral("not there"), false, true, size / 2);
    measure(table, pane, name + QStringLiteral("Previous, not there, any case"),
            QStringLiteral("not there"), false, false, size / 2);
    measure(table, pane, name + QStringLiteral("Next, one letter not there, any case"),
            QStringLiteral("q"), false, true, size / 2);
    measure(table, pane, name + QStringLiteral("Next, across a line break, on every line"),
            QStringLiteral("OK\nt=999999999"), true, true, size / 2);
    // The last line's number, which no other line has.
    const QByteArray tail = pane.copy(size - 80, 80);
    const QByteArray lastNumber = tail.mid(tail.lastIndexOf("t="), 11);
    measure(table, pane, name + QStringLiteral("Next from the start to the last line"),
            QString::fromLatin1(lastNumber), false, true, 0);
}

struct BoxSearch
{
    double stallMs = 0;
    double tookMs = 0;
    double waitedMs = 0;        // the window's thread waiting for a processor
    double longestAppendMs = 0; // of the data arriving meanwhile
    QString sawStatus;          // what the box said 150 ms in, if still searching
};

// One Next in `box` from the pane's end, with 64 kB of Hex arriving every
// 10 ms, until the box shows its result.
BoxSearch nextFromTheEnd(PaneFindBox &box, ShownPane &pane, const QString &text)
{
    const QByteArray feed = pane.text.copy(0, 65536);
    box.field()->setText(text);
    pane.view.setSelection(pane.text.size(), pane.text.size());
    BoxSearch result;
    StallMeter meter;
    QTimer feeder;
    feeder.setInterval(10);
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        QElapsedTimer append;
        append.start();
        pane.text.append(feed);
        result.longestAppendMs = std::max(result.longestAppendMs, append.nsecsElapsed() / 1e6);
    });
    QTimer look;
    look.setSingleShot(true);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (box.isSearching())
            result.sawStatus = box.status()->text();
    });
    QElapsedTimer clock;
    const qint64 delayBefore = runDelayNs();
    meter.start();
    feeder.start();
    look.start(150);
    clock.start();
    box.findNext();
    while (box.isSearching())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    pane.view.flushPendingUpdate();
    result.tookMs = clock.nsecsElapsed() / 1e6;
    result.waitedMs = (runDelayNs() - delayBefore) / 1e6;
    meter.stop();
    feeder.stop();
    result.stallMs = meter.longestMs();
    return result;
}

} // namespace

void findInSpilledPane(BenchTable &table, ShownPane &pane)
{
    PaneFindBox box(&pane.view, QStringLiteral("the pane"));
    box.open();
    QCoreApplication::processEvents();
    const qsizetype size = pane.text.size();
    const BoxSearch missing = nextFromTheEnd(box, pane, QStringLiteral("NOT THERE"));
    const bool notFound = box.status()->text() == QLatin1String("Not found");
    // Eight byte values a little way in: this Hex text has them nowhere
    // before.
    const QString nearStart = QString::fromLatin1(pane.text.copy(3 * 333 + 1, 23));
    const BoxSearch first = nextFromTheEnd(box, pane, nearStart);
    const qsizetype foundAt = pane.view.hasSelection() ? pane.view.selectionStart() : -1;
    const double stall = std::max(missing.stallMs, first.stallMs);
    table.row(
        QStringLiteral("find in an %1 GB spilled pane: longest window stall (Next for a missing "
                       "text) and time to the first match (Next from the end for a text near "
                       "the start)")
            .arg(size / 1e9, 0, 'f', 1),
        QStringLiteral(
            "stall %1 ms while the box read %2 GB in %3 s (%4; at 150 ms it said "
            "\"%5\"; the window's thread waited %9 ms in all for a processor; the longest "
            "append of the data arriving meanwhile took %10 ms); "
            "first match %6 ms, at %7, stall %8 ms")
            .arg(missing.stallMs, 0, 'f', 1)
            .arg(size / 1e9, 0, 'f', 2)
            .arg(missing.tookMs / 1000, 0, 'f', 2)
            .arg(notFound ? QStringLiteral("not found") : box.status()->text())
            .arg(missing.sawStatus)
            .arg(first.tookMs, 0, 'f', 1)
            .arg(foundAt)
            .arg(first.stallMs, 0, 'f', 1)
            .arg(missing.waitedMs, 0, 'f', 0)
            .arg(missing.longestAppendMs, 0, 'f', 1),
        QStringLiteral("stall <= 16 ms, first match <= 100 ms"),
        stall <= 16 && first.tookMs <= 100 && notFound && foundAt >= 0);
}

void findBench(BenchTable &table, bool quick)
{
    const qsizetype size = (quick ? 10 : 50) << 20;
    const QByteArray text = instrumentLines(size);
    {
        PaneText pane;
        pane.append(text);
        measurePane(table, pane, QStringLiteral("in memory"));
    }
    // Most of it in the spill file, read through its map.
    PaneText spilled;
    spilled.setSpillThreshold(size / 4);
    for (qsizetype at = 0; at < text.size(); at += 1 << 20)
        spilled.append(QByteArrayView(text).sliced(at, std::min<qsizetype>(1 << 20, size - at)));
    spilled.finishSpilling();
    measurePane(table, spilled,
                QStringLiteral("with %1 MB in its file").arg(spilled.spilledSize() >> 20));
}
