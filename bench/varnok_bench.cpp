// Measures how VarnokTerm keeps up with its lines: pane appends, end-to-end
// capture from a pty and a 127.0.0.1 TCP peer, event-loop stalls, memory per
// shown character, and the read-everything-and-write-it-back pane method as
// the baseline. Prints one Markdown table.

#include "bench_program.h"
#include "bench_table.h"
#include "bridge_bench.h"
#include "find_bench.h"
#include "headless_bench.h"
#include "loopback_listener.h"
#include "monitor_bench.h"
#include "mqtt_bench.h"
#include "network_bench.h"
#include "paste_bench.h"
#include "plot_bench.h"
#include "receive_cpu_bench.h"
#include "recording_bench.h"
#include "replay_bench.h"
#include "shown_pane.h"
#include "spill_stall_bench.h"
#include "stall_meter.h"
#include "stream_writer.h"
#include "terminal_bench.h"
#include "transfer_bench.h"
#include "wrap_bench.h"

#include "core/byte_text.h"
#include "core/pane/pane_text.h"
#include "devices/capture_session.h"
#include "devices/channel_link.h"
#include "ui/capture_pane.h"
#include "ui/channel_group.h"
#include "ui/display_window.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netinet/in.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <ctime>
#include <functional>

namespace {

bool quick = false;
BenchTable table;

QByteArray randomBytes(qsizetype size, quint32 seed = 1)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    for (qsizetype i = size / 4 * 4; i < size; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

// Text such as a Hex capture: " 41 42 ..." without line breaks.
QByteArray hexText(qsizetype size)
{
    QByteArray out;
    ByteText::appendHexPieces(out, randomBytes(size / 3 + 1), " ", {});
    out.truncate(size);
    return out;
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// Resident memory to measure growth from. Earlier sections leave freed heap
// that new allocations would reuse without growing; it goes back first, so a
// section's figures are the same alone or after the others.
qint64 baselineResidentBytes()
{
    ::malloc_trim(0);
    return residentBytes();
}

// CPU time of the whole process so far, in seconds.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Lines of `width` bytes, CR LF included, numbered so no two are alike.
QByteArray asciiLines(qsizetype lines, int width)
{
    QByteArray out;
    out.reserve(lines * width);
    for (qsizetype i = 0; i < lines; ++i) {
        QByteArray line = QByteArray::number(i).rightJustified(width - 2, '.');
        line.replace(0, 5, "data ");
        out += line + "\r\n";
    }
    return out;
}

// A field of /proc/self/status in MB, such as "RssAnon" or "RssFile".
qint64 statusMB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLongLong() / 1024;
    return 0;
}

// Runs the event loop until `done` or `timeoutMs`; true when done.
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QString mb(double bytesPerSecond)
{
    return QString::number(bytesPerSecond / 1e6, 'f', 2) + " MB/s";
}

// Appends `total` characters in pieces of `piece`, giving the view a frame
// every 16 ms as a running program would. Returns characters per second.
double appendRate(ShownPane &pane, qsizetype piece, qsizetype total)
{
    const QByteArray chunk = hexText(piece);
    QElapsedTimer clock, frame;
    clock.start();
    frame.start();
    for (qsizetype done = 0; done < total; done += piece) {
        pane.text.append(chunk);
        if (frame.elapsed() >= 16) {
            QCoreApplication::processEvents();
            frame.restart();
        }
    }
    QCoreApplication::processEvents();
    return total / (clock.nsecsElapsed() / 1e9);
}

void paneAppends()
{
    const qsizetype mega = 1000 * 1000;
    const QList<qsizetype> prefills =
        quick ? QList<qsizetype>{0, 2 * mega} : QList<qsizetype>{0, 10 * mega, 50 * mega};
    double emptyRate = 0, fullRate = 0;
    for (const qsizetype piece : {qsizetype(64), qsizetype(4096), qsizetype(65536)}) {
        for (const qsizetype prefill : prefills) {
            ShownPane pane;
            pane.text.setText(hexText(prefill));
            QCoreApplication::processEvents();
            const qsizetype total = quick ? 2 * mega : 32 * mega;
            const double rate = appendRate(pane, piece, total);
            if (piece == 64 && prefill == 0)
                emptyRate = rate;
            if (piece == 64 && prefill == prefills.last())
                fullRate = rate;
            table.row(QStringLiteral("pane append, %1 B pieces, pane holding %2 MB")
                          .arg(piece)
                          .arg(prefill / mega),
                      QString::number(rate / 1e6, 'f', 1) + " M chars/s",
                      QStringLiteral(">= 30 M chars/s"), rate >= 30e6);
        }
    }
    table.row(QStringLiteral("64 B appends: %1 MB pane vs empty").arg(prefills.last() / mega),
              QString::number(emptyRate / fullRate, 'f', 2) + "x slower", QStringLiteral("<= 1.5x"),
              emptyRate / fullRate <= 1.5);
}

void memoryPerCharacter()
{
    const qsizetype size = quick ? 5 * 1000 * 1000 : 50 * 1000 * 1000;
    const qint64 before = baselineResidentBytes();
    {
        ShownPane pane;
        const QByteArray chunk = hexText(65536);
        for (qsizetype done = 0; done < size; done += chunk.size())
            pane.text.append(chunk);
        QCoreApplication::processEvents();
        pane.view.flushPendingUpdate();
        const double perChar = double(residentBytes() - before) / pane.text.size();
        table.row(
            QStringLiteral("resident memory per shown character at %1 MB").arg(size / 1000000),
            QString::number(perChar, 'f', 2) + " bytes", QStringLiteral("<= 2 bytes"),
            perChar <= 2.0);

        // Repainting a big pane scrolled to the bottom.
        pane.view.resize(313, 169);
        QElapsedTimer clock;
        qint64 longest = 0;
        for (int i = 0; i < 50; ++i) {
            clock.start();
            pane.view.viewport()->repaint();
            longest = qMax(longest, clock.nsecsElapsed());
        }
        table.row(
            QStringLiteral("longest repaint of a %1 MB pane at the bottom").arg(size / 1000000),
            QString::number(longest / 1e6, 'f', 2) + " ms", QStringLiteral("<= 16 ms"),
            longest <= 16e6);
    }
}

void baseline()
{
    // Read-all-write-back: read a QPlainTextEdit's whole text and write it
    // back with the new piece.
    const QByteArray piece = hexText(64);
    for (const qsizetype size : {qsizetype(100 * 1000), qsizetype(1000 * 1000)}) {
        QPlainTextEdit edit;
        edit.resize(313, 169);
        edit.show();
        edit.setPlainText(QString::fromLatin1(hexText(size)));
        QCoreApplication::processEvents();
        const int rounds = size > 500000 ? 3 : 10;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < rounds; ++i) {
            edit.setPlainText(edit.toPlainText() + QString::fromLatin1(piece));
            QCoreApplication::processEvents();
        }
        const double readAllNs = double(clock.nsecsElapsed()) / rounds;

        ShownPane pane;
        pane.text.setText(hexText(size));
        QCoreApplication::processEvents();
        const int ours = 20000;
        clock.start();
        QElapsedTimer frame;
        frame.start();
        for (int i = 0; i < ours; ++i) {
            pane.text.append(piece);
            if (frame.elapsed() >= 16) {
                QCoreApplication::processEvents();
                frame.restart();
            }
        }
        QCoreApplication::processEvents();
        const double oursNs = double(clock.nsecsElapsed()) / ours;
        const double ratio = readAllNs / oursNs;
        table.row(
            QStringLiteral("64 B append at %1 kB: read-all-write-back vs ours").arg(size / 1000),
            QStringLiteral("%1 ms vs %2 us: %3x")
                .arg(readAllNs / 1e6, 0, 'f', 2)
                .arg(oursNs / 1e3, 0, 'f', 3)
                .arg(ratio, 0, 'f', 0),
            size >= 1000000 ? QStringLiteral(">= 1000x") : QString(),
            size >= 1000000 ? int(ratio >= 1000) : -1);
    }
}

// How many appends of the last fillPane() took longer than 16 ms, and how
// much of their time this thread spent waiting for a processor (other
// programs running), in ms.
int slowAppends = 0;
double slowTookMs = 0;
double slowWaitedMs = 0;

// Appends `chunk` until the pane holds `total` characters, giving the view a
// frame every 16 ms. Returns the longest single append, in ns, and sets
// `longestAt` to the pane's size before it.
qint64 fillPane(ShownPane &pane, const QByteArray &chunk, qsizetype total,
                qsizetype *longestAt = nullptr)
{
    QElapsedTimer frame, one;
    frame.start();
    qint64 longest = 0;
    slowAppends = 0;
    slowTookMs = 0;
    slowWaitedMs = 0;
    while (pane.text.size() < total) {
        const qint64 delayBefore = runDelayNs();
        one.start();
        const qsizetype before = pane.text.size();
        pane.text.append(chunk);
        const qint64 took = one.nsecsElapsed();
        if (took > 16000000) {
            ++slowAppends;
            slowTookMs += took / 1e6;
            slowWaitedMs += (runDelayNs() - delayBefore) / 1e6;
        }
        if (took > longest) {
            longest = took;
            if (longestAt)
                *longestAt = before;
        }
        if (frame.elapsed() >= 16) {
            QCoreApplication::processEvents();
            frame.restart();
        }
    }
    QCoreApplication::processEvents();
    pane.view.flushPendingUpdate();
    return longest;
}

void asciiMemory()
{
    const qsizetype size = quick ? 5 * 1000 * 1000 : 50 * 1000 * 1000;
    const QByteArray chunk = asciiLines(2184, 30); // about 64 kB of 30-character lines
    ShownPane pane;
    QCoreApplication::processEvents();
    const qint64 before = baselineResidentBytes();
    fillPane(pane, chunk, size);
    const double perChar = double(residentBytes() - before) / pane.text.size();
    table.row(QStringLiteral("resident memory per shown character, ASCII lines of 30, at %1 MB")
                  .arg(size / 1000000),
              QString::number(perChar, 'f', 3) + " bytes", QStringLiteral("<= 1.1 bytes"),
              perChar <= 1.1);
}

void clearGivesMemoryBack()
{
    const qsizetype size = quick ? 100 * 1000 * 1000 : 1000 * 1000 * 1000;
    ShownPane pane;
    QCoreApplication::processEvents();
    const qint64 before = baselineResidentBytes();
    fillPane(pane, asciiLines(2184, 30), size);
    const qint64 full = residentBytes();
    QElapsedTimer clock;
    clock.start();
    pane.text.clear();
    pane.view.flushPendingUpdate();
    const double clearMs = clock.nsecsElapsed() / 1e6;
    // Big clears unmap in the background: give them a moment.
    runUntil([] { return false; }, 200);
    const qint64 after = residentBytes();
    const double over = (after - before) / 1048576.0;
    table.row(
        QStringLiteral("clear of a %1 MB pane of ASCII lines: resident memory").arg(size / 1000000),
        QStringLiteral("%1 MB before filling, %2 MB full, %3 MB after clear (%4 MB over, "
                       "clear took %5 ms)")
            .arg(before / 1048576)
            .arg(full / 1048576)
            .arg(after / 1048576)
            .arg(over, 0, 'f', 1)
            .arg(clearMs, 0, 'f', 1),
        QStringLiteral("<= 64 MB over"), over <= 64);
}

// CPU and stalls of a pane fed 100 kB/s of 39-byte lines, empty and holding
// many lines.
void manyLines()
{
    const qsizetype held = quick ? 3 * 1000 * 1000 : 30 * 1000 * 1000;
    const int seconds = quick ? 2 : 8;
    const QByteArray feed = asciiLines(26, 39); // 1014 B every 10 ms
    double cpu[2] = {};
    double stall[2] = {};
    double fillSeconds = 0;
    for (int full = 0; full < 2; ++full) {
        ShownPane pane;
        if (full) {
            QElapsedTimer clock;
            clock.start();
            const QByteArray chunk = asciiLines(1680, 39); // about 64 kB
            fillPane(pane, chunk, held * 39);
            fillSeconds = clock.nsecsElapsed() / 1e9;
        }
        QCoreApplication::processEvents();
        QTimer feeder;
        feeder.setTimerType(Qt::PreciseTimer);
        feeder.setInterval(10);
        QObject::connect(&feeder, &QTimer::timeout, [&] { pane.text.append(feed); });
        StallMeter meter;
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        const double cpuBefore = cpuSeconds();
        meter.start();
        feeder.start();
        loop.exec();
        feeder.stop();
        meter.stop();
        cpu[full] = (cpuSeconds() - cpuBefore) / seconds;
        stall[full] = meter.longestMs();
    }
    table.row(QStringLiteral("100 kB/s of 39-byte lines: CPU, empty pane vs holding %1 M lines")
                  .arg(held / 1000000),
              QStringLiteral("%1% vs %2% of a core: %3x (filling took %4 s)")
                  .arg(cpu[0] * 100, 0, 'f', 1)
                  .arg(cpu[1] * 100, 0, 'f', 1)
                  .arg(cpu[1] / cpu[0], 0, 'f', 2)
                  .arg(fillSeconds, 0, 'f', 1),
              QStringLiteral("<= 1.5x"), cpu[1] / cpu[0] <= 1.5);
    table.row(QStringLiteral("longest UI stall at 100 kB/s, pane holding %1 M lines of 39 bytes")
                  .arg(held / 1000000),
              QStringLiteral("%1 ms (empty pane: %2 ms)")
                  .arg(stall[1], 0, 'f', 1)
                  .arg(stall[0], 0, 'f', 1),
              QStringLiteral("<= 16 ms"), stall[1] <= 16);
}

// Line times: what keeping them costs per line, and whether showing them
// slows appending or painting.
void lineTimes()
{
    const qsizetype size = quick ? 5 * 1000 * 1000 : 50 * 1000 * 1000;
    const QByteArray chunk = asciiLines(2184, 30); // about 64 kB of 30-character lines
    // Each is run three times, alternately, and its best run kept: the machine
    // is shared.
    double rates[2] = {};
    double bottomMs = 0;
    for (const bool shown : {false, true, false, true, false, true}) {
        ShownPane pane;
        // As wide as each other (the offscreen screen copies every pixel
        // of each frame) and wide enough that no line wraps in either.
        pane.view.resize(600, pane.view.height());
        if (shown)
            pane.view.setTimeChoice({LineTimeForm::WallClock, false});
        QCoreApplication::processEvents();
        QElapsedTimer fill;
        fill.start();
        fillPane(pane, chunk, size);
        rates[shown] = qMax(rates[shown], pane.text.size() / (fill.nsecsElapsed() / 1e9));
        if (shown) {
            const int bottom = pane.view.verticalScrollBar()->maximum();
            repaintAt(pane.view, bottom / 2);
            bottomMs = qMax(bottomMs, repaintAt(pane.view, bottom));
        }
    }
    table.row(QStringLiteral("append to a shown pane, 64 kB of lines of 30 at a time, %1 MB: "
                             "times shown vs hidden (panes 600 px wide; best of three runs)")
                  .arg(size / 1000000),
              QStringLiteral("%1 vs %2 M chars/s")
                  .arg(rates[1] / 1e6, 0, 'f', 1)
                  .arg(rates[0] / 1e6, 0, 'f', 1),
              QStringLiteral("within 10%"), rates[1] >= 0.9 * rates[0]);
    table.row(QStringLiteral("repaint at the bottom with the times' gutter, %1 MB pane")
                  .arg(size / 1000000),
              QStringLiteral("%1 ms").arg(bottomMs, 0, 'f', 2), QStringLiteral("<= 16 ms"),
              bottomMs <= 16);

    // Memory: lines sharing a batch, and the worst case, a batch a line,
    // each with a time of its own.
    const qsizetype lines = quick ? 200000 : 2000000;
    const QByteArray line = asciiLines(1, 30);
    QStringList perLine;
    double worst = 0;
    for (const qsizetype perBatch : {qsizetype(2184), qsizetype(1)}) {
        PaneText text;
        for (qsizetype i = 0; i < lines; i += perBatch) {
            const qint64 ms = 1'800'000'000'000 + i;
            for (qsizetype j = 0; j < perBatch; ++j)
                text.append(line, ms);
        }
        const double bytes = double(text.lineTimesMemory()) / text.lineCount();
        worst = qMax(worst, bytes);
        perLine << QStringLiteral("%1 bytes (%2 a batch)")
                       .arg(bytes, 0, 'f', 3)
                       .arg(perBatch == 1 ? QStringLiteral("a line")
                                          : QStringLiteral("2184 lines"));
    }
    table.row(QStringLiteral("line times' memory per line, %1 lines of 30").arg(lines),
              perLine.join(QStringLiteral(", ")), QStringLiteral("<= 8 bytes"), worst <= 8);

    // Appending in the worst case, a batch a line, with and without times:
    // the same lines given one time (shared) or each its own.
    // Best of nine runs each, taken in turns: this machine's speed swings by
    // up to twice from one second to the next.
    double lineRates[2] = {};
    for (int run = 0; run < 18; ++run) {
        const bool own = run % 2 == 1;
        PaneText text;
        QElapsedTimer clock;
        clock.start();
        for (qsizetype i = 0; i < lines; ++i)
            text.append(line, own ? 1'800'000'000'000 + i : 1'800'000'000'000);
        lineRates[own] = qMax(lineRates[own], lines / (clock.nsecsElapsed() / 1e9));
    }
    table.row(QStringLiteral("append a line at a time, %1 lines of 30: each its own time vs one "
                             "time for all (best of nine runs)")
                  .arg(lines),
              QStringLiteral("%1 vs %2 M lines/s")
                  .arg(lineRates[1] / 1e6, 0, 'f', 2)
                  .arg(lineRates[0] / 1e6, 0, 'f', 2),
              QStringLiteral("within 10%"), lineRates[1] >= 0.9 * lineRates[0]);
}

// A pane fed gigabytes of Hex: the spill file keeps memory bounded.
void hugePane()
{
    const qsizetype size = quick ? qsizetype(600) * 1000 * 1000 : qsizetype(8) * 1000 * 1000 * 1000;
    QElapsedTimer clock;
    clock.start();
    ShownPane pane;
    const QByteArray chunk = hexText(65536);
    QElapsedTimer fill;
    fill.start();
    qsizetype longestAt = 0;
    const qint64 longest = fillPane(pane, chunk, size, &longestAt);
    const double rate = pane.text.size() / (fill.nsecsElapsed() / 1e9);
    const qint64 resident = residentBytes();
    const QString label = QStringLiteral("%1 GB Hex pane").arg(size / 1e9, 0, 'f', 1);
    table.row(label + QStringLiteral(": resident memory at the end"),
              QStringLiteral("%1 MB: %3 MB anonymous, %4 MB file maps (%2 GB in the spill file)")
                  .arg(resident / 1048576)
                  .arg(pane.text.spilledSize() / 1e9, 0, 'f', 2)
                  .arg(statusMB("RssAnon"))
                  .arg(statusMB("RssFile")),
              QStringLiteral("<= 300 MB"), resident <= qint64(300) << 20);
    table.row(label + QStringLiteral(": append rate through the spill"),
              QString::number(rate / 1e6, 'f', 1) + " M chars/s",
              QStringLiteral(">= 200 M chars/s"), rate >= 200e6);
    table.row(label + QStringLiteral(": longest single 64 kB append"),
              QStringLiteral("%1 ms, at %2 GB; %3 of %4 appends over 16 ms, taking %6 ms, %5 ms "
                             "of it waiting for a processor")
                  .arg(longest / 1e6, 0, 'f', 2)
                  .arg(longestAt / 1e9, 0, 'f', 2)
                  .arg(slowAppends)
                  .arg(size / chunk.size())
                  .arg(slowWaitedMs, 0, 'f', 0)
                  .arg(slowTookMs, 0, 'f', 0),
              QStringLiteral("<= 16 ms"), longest <= 16e6);

    CapturePane &view = pane.view;
    const int bottom = view.verticalScrollBar()->maximum();
    repaintAt(view, bottom);
    double worst = 0;
    QStringList parts;
    for (const auto &[name, value] :
         {std::pair{"top", 0}, std::pair{"middle", bottom / 2}, std::pair{"bottom", bottom}}) {
        // The first repaint of a place reads its text from the file.
        const double ms = repaintAt(view, value);
        worst = qMax(worst, ms);
        parts << QStringLiteral("%1 %2 ms").arg(QLatin1String(name)).arg(ms, 0, 'f', 2);
    }
    table.row(label + QStringLiteral(": repaint at the top, middle and bottom"), parts.join(", "),
              QStringLiteral("<= 16 ms each"), worst <= 16);
    const double jump = repaintAt(view, 0);
    repaintAt(view, bottom);
    const double jumpAgain = repaintAt(view, 0);
    table.row(label + QStringLiteral(": scroll bar jump from bottom to top, with repaint"),
              QStringLiteral("%1 ms (again: %2 ms); the section took %3 s")
                  .arg(jump, 0, 'f', 2)
                  .arg(jumpAgain, 0, 'f', 2)
                  .arg(clock.elapsed() / 1000.0, 0, 'f', 0),
              QStringLiteral("<= 16 ms"), qMax(jump, jumpAgain) <= 16);
    view.setTimeChoice({LineTimeForm::WallClock, false});
    repaintAt(view, view.verticalScrollBar()->maximum());
    const double timed = repaintAt(view, view.verticalScrollBar()->maximum());
    table.row(label + QStringLiteral(": repaint at the bottom with the times' gutter"),
              QStringLiteral("%1 ms; line times held: %2 kB")
                  .arg(timed, 0, 'f', 2)
                  .arg(pane.text.lineTimesMemory() / 1024),
              QStringLiteral("<= 16 ms"), timed <= 16);
    view.setTimeChoice({});
    findInSpilledPane(table, pane);
}

// --- End to end -----------------------------------------------------------

// What the pane should show for `data`, shown in one piece.
QByteArray expectedText(const QByteArray &data, const QString &format, bool tcp, bool realTime)
{
    QByteArray out;
    if (format == QLatin1String("optASCII"))
        return data;
    const bool socketLayout = tcp && realTime;
    if (format == QLatin1String("optHex")) {
        if (socketLayout)
            ByteText::appendHexPieces(out, data, {}, " ");
        else
            ByteText::appendHexPieces(out, data, " ", {});
    } else if (socketLayout) {
        ByteText::appendDecimalPieces(out, data, {}, " ");
    } else {
        // Serial "Real Time" puts two spaces before each number.
        ByteText::appendDecimalPieces(out, data, realTime ? "  " : " ", {});
    }
    return out;
}

void endToEnd()
{
    const qsizetype size = quick ? 256 * 1024 : 8 * 1024 * 1024;
    for (const bool tcp : {false, true}) {
        for (const char *display : {"optRT", "optTO"}) {
            for (const char *format : {"optASCII", "optHex", "optDec"}) {
                Program program;
                const int n = tcp ? 1 : 2;
                program.session.channel(1).setTimeOut(20);
                program.session.channel(2).setTimeOut(20);
                program.choose(n, display, format);
                Source source;
                source.tcp = tcp;
                const int fd = attach(program, source);
                const QByteArray data = randomBytes(size, 7);
                const bool realTime = QLatin1String(display) == QLatin1String("optRT");
                const QByteArray expected =
                    expectedText(data, QLatin1String(format), tcp, realTime);
                PaneText &pane = program.session.channel(n).pane();

                QElapsedTimer clock;
                clock.start();
                StreamWriter writer(fd, data, 4096, 0);
                writer.start();
                const bool complete =
                    runUntil([&] { return pane.size() >= expected.size(); }, 120000);
                const double seconds = clock.nsecsElapsed() / 1e9;
                writer.join();
                const bool exact = complete && pane.text() == expected;
                table.row(QStringLiteral("end to end, %1, %2, %3, %4 MB")
                              .arg(tcp ? "TCP 127.0.0.1" : "pty")
                              .arg(QLatin1String(display) == QLatin1String("optRT") ? "Real Time"
                                                                                    : "Time Out")
                              .arg(QLatin1String(format).mid(3))
                              .arg(size / 1048576.0, 0, 'f', 2),
                          mb(size / seconds) + (exact ? ", complete" : ", **INCOMPLETE**"));
            }
        }
    }
}

// 64-byte batches paced like a USB full-speed CDC device, Hex "Real Time".
void pacedBatches()
{
    const double rate = 1.2e6;
    const qsizetype size = quick ? 600000 : 3600000;
    for (const bool tcp : {false, true}) {
        Program program;
        const int n = tcp ? 1 : 2;
        program.choose(n, "optRT", "optHex");
        Source source;
        source.tcp = tcp;
        const int fd = attach(program, source);
        PaneText &pane = program.session.channel(n).pane();
        const int perByte = 3;
        StreamWriter writer(fd, randomBytes(size, 3), 64, rate);
        QElapsedTimer clock;
        clock.start();
        writer.start();
        qint64 worstLag = 0;
        runUntil(
            [&] {
                worstLag = qMax(worstLag, writer.written() - pane.size() / perByte);
                return writer.finished();
            },
            60000);
        const double writeSeconds = clock.nsecsElapsed() / 1e9;
        QElapsedTimer drain;
        drain.start();
        runUntil([&] { return pane.size() >= size * perByte; }, 30000);
        const double drainMs = drain.nsecsElapsed() / 1e6;
        writer.join();
        table.row(
            QStringLiteral("64 B batches at %1, Hex Real Time, %2")
                .arg(mb(rate))
                .arg(tcp ? "TCP" : "pty"),
            QStringLiteral("sent at %1; worst backlog %2 B; drained %3 ms after the last byte")
                .arg(mb(size / writeSeconds))
                .arg(worstLag)
                .arg(drainMs, 0, 'f', 1),
            QStringLiteral("keeps up, no backlog"), drainMs < 50);
    }
}

// The longest stall of the event loop while a peer streams Hex at 10 MB/s.
void stallUnderLoad()
{
    const double rate = 10e6;
    const qsizetype size = quick ? 5000000 : 30000000;
    Program program;
    program.choose(1, "optRT", "optHex");
    Source source;
    source.tcp = true;
    const int fd = attach(program, source);
    PaneText &pane = program.session.channel(1).pane();
    StallMeter meter;
    StreamWriter writer(fd, randomBytes(size, 5), 16384, rate);
    meter.start();
    QElapsedTimer clock;
    clock.start();
    writer.start();
    runUntil([&] { return pane.size() >= size * 3; }, 120000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    meter.stop();
    writer.join();
    table.row(QStringLiteral("longest UI stall, TCP Hex Real Time at %1").arg(mb(rate)),
              QStringLiteral("%1 ms, %4 ms into the run (took %2 s for %3 MB)")
                  .arg(meter.longestMs(), 0, 'f', 1)
                  .arg(seconds, 0, 'f', 2)
                  .arg(size / 1e6)
                  .arg(meter.longestAtMs(), 0, 'f', 0),
              QStringLiteral("<= 16 ms"), meter.longestMs() <= 16);
}

void recording()
{
    recordingBench(table, quick);
}

void wrap()
{
    wrapBench(table, quick);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quick = app.arguments().contains(QStringLiteral("--quick"));

    // --only NAME runs one section: appends, memory, ascii, clear, lines,
    // baseline, paced, stall, e2e, paste, recording, find, wrap, times,
    // network, bridge, cpu, terminal, monitor, zmodem, replay, logreplay, script, plot, mqtt;
    // or huge (an 8 GB pane), spill (a shown pane filled with 8 GB from a
    // peer) and headless (a headless run at 1 MB/s for
    // --headless-seconds N, 600 by default, 20 with --quick), which only
    // run when asked for (each takes minutes, and huge and spill 8 GB of disk).
    const qsizetype only = app.arguments().indexOf(QStringLiteral("--only"));
    const QString section = only > 0 ? app.arguments().value(only + 1) : QString();
    const qsizetype secondsAt = app.arguments().indexOf(QStringLiteral("--headless-seconds"));
    static int headlessSeconds =
        secondsAt > 0 ? app.arguments().value(secondsAt + 1).toInt() : (quick ? 20 : 600);
    const QList<std::pair<QString, void (*)()>> sections = {
        {QStringLiteral("appends"), paneAppends},
        {QStringLiteral("memory"), memoryPerCharacter},
        {QStringLiteral("ascii"), asciiMemory},
        {QStringLiteral("clear"), clearGivesMemoryBack},
        {QStringLiteral("lines"), manyLines},
        {QStringLiteral("baseline"), baseline},
        {QStringLiteral("paced"), pacedBatches},
        {QStringLiteral("stall"), stallUnderLoad},
        {QStringLiteral("e2e"), endToEnd},
        {QStringLiteral("huge"), hugePane},
        {QStringLiteral("times"), lineTimes},
        {QStringLiteral("paste"),
         [] {
             pasteResend(table, quick);
         }},
        {QStringLiteral("recording"), recording},
        {QStringLiteral("wrap"), wrap},
        {QStringLiteral("replay"),
         [] {
             replayBench(table, quick);
         }},
        {QStringLiteral("logreplay"),
         [] {
             logReplayBench(table, quick);
         }},
        {QStringLiteral("script"),
         [] {
             scriptBench(table, quick);
         }},
        {QStringLiteral("network"),
         [] {
             networkBench(table, quick);
         }},
        {QStringLiteral("bridge"),
         [] {
             bridgeBench(table, quick);
         }},
        {QStringLiteral("cpu"),
         [] {
             receiveCpuBench(table, quick);
         }},
        {QStringLiteral("terminal"),
         [] {
             terminalBench(table, quick);
         }},
        {QStringLiteral("monitor"),
         [] {
             monitorBench(table, quick);
         }},
        {QStringLiteral("spill"),
         [] {
             spillStallBench(table, quick);
         }},
        {QStringLiteral("find"),
         [] {
             findBench(table, quick);
         }},
        {QStringLiteral("plot"),
         [] {
             plotBench(table, quick);
         }},
        {QStringLiteral("zmodem"),
         [] {
             zmodemBench(table, quick);
         }},
        {QStringLiteral("mqtt"),
         [] {
             mqttBench(table, quick);
         }},
        {QStringLiteral("headless"), [] {
             headlessBench(table, std::max(10, headlessSeconds));
         }}};
    table.header();
    for (const auto &[name, run] : sections)
        if (section == name ||
            (section.isEmpty() && name != QLatin1String("huge") && name != QLatin1String("spill") &&
             name != QLatin1String("headless")))
            run();
    return 0;
}
