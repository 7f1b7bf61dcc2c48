#include "find_bench.h"

#include "bench_table.h"
#include "core/pane_search.h"
#include "core/pane_text.h"

#include <QElapsedTimer>

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

} // namespace

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
