#include "spill_stall_bench.h"

#include "bench_program.h"
#include "bench_table.h"
#include "processors.h"
#include "stall_meter.h"

#include "core/pane/pane_spill.h"
#include "core/pane/pane_text.h"
#include "core/receive_tuning.h"
#include "devices/channel.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <malloc.h>
#include <memory>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Writes `total` bytes of text lines to `fd` as fast as it is read.
class FloodWriter
{
public:
    FloodWriter(int fd, qint64 total)
        : m_thread([fd, total] {
            QByteArray lines;
            for (int n = 0; lines.size() < 1024 * 1024; ++n)
                lines += QByteArray::number(n).rightJustified(8, '0') +
                         " T=23.4C P=1013.2hPa RH=40% status ok, reading steady\r\n";
            qint64 done = 0;
            while (done < total) {
                const qint64 offset = done % lines.size();
                const qint64 length = std::min<qint64>(lines.size() - offset, total - done);
                const ssize_t n = ::write(fd, lines.constData() + offset, size_t(length));
                if (n > 0) {
                    done += n;
                } else if (n < 0 && errno == EAGAIN) {
                    pollfd out{fd, POLLOUT, 0};
                    ::poll(&out, 1, 100);
                } else if (n < 0 && errno != EINTR) {
                    break;
                }
            }
        })
    {}
    ~FloodWriter() { m_thread.join(); }

private:
    std::thread m_thread;
};

// The machine's floor at the same time as a fill: an event loop on a thread
// of its own, kept on one processor, with nothing to do but the meter's 1 ms
// timer. What it stalls, the machine did to it (that processor taken away by
// the virtual machine's host, other programs), not the window's work: work
// of the window on the same processor gives way to the loop's timer within
// the scheduler's wake-up delay.
class IdleLoopBeside
{
public:
    explicit IdleLoopBeside(int processor)
        : m_processor(processor)
        , m_thread(QThread::create([this] {
            keepThreadOn(m_processor);
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
                if (m_stop)
                    loop.quit();
            });
            poll.start(10);
            StallMeter meter;
            meter.start();
            loop.exec();
            meter.stop();
            m_result = meter.longestText();
            m_span = meter.longestSpan();
            m_duringWindow = meter.longestOverlapping(m_window);
        }))
    {
        m_thread->start();
    }
    // Stops the loop; its longest stall, as a row's text. `window` is the
    // window's longest stall, for duringWindow().
    QString finish(const StallSpan &window)
    {
        m_window = window;
        m_stop = true;
        m_thread->wait();
        return m_result;
    }
    // When its longest stall was; read after finish().
    StallSpan span() const { return m_span; }
    // Its longest stall (over 4 ms) that shared a moment with the window's,
    // or an empty span; read after finish().
    StallSpan duringWindow() const { return m_duringWindow; }
    int processor() const { return m_processor; }

private:
    int m_processor;
    std::atomic<bool> m_stop{false};
    QString m_result;
    StallSpan m_span;
    StallSpan m_window;
    StallSpan m_duringWindow;
    std::unique_ptr<QThread> m_thread;
};

// An idle loop on each processor, and the text of their longest stalls
// against the window's.
class IdleLoopsBeside
{
public:
    IdleLoopsBeside()
    {
        for (const int processor : usableProcessors())
            m_loops.push_back(std::make_unique<IdleLoopBeside>(processor));
    }
    // Stops the loops: "meanwhile an idle event loop kept on processor 0:
    // ...; one kept on processor 1: ...; the window's stall overlapped ...;
    // during the window's stall the loop on processor 0 went ...".
    QString finish(const StallSpan &window, qint64 origin)
    {
        QStringList stalls;
        QStringList overlapped;
        QStringList during;
        for (const auto &loop : m_loops) {
            const QString stall = loop->finish(window); // before its spans are read
            stalls.append(QStringLiteral("on processor %1: %2, %3")
                              .arg(loop->processor())
                              .arg(stall, loop->span().text(origin)));
            if (window.overlaps(loop->span()))
                overlapped.append(QString::number(loop->processor()));
            const StallSpan gap = loop->duringWindow();
            during.append(
                gap.toNs > gap.fromNs
                    ? QStringLiteral("the loop on processor %1 went %2 ms without running, %3")
                          .arg(loop->processor())
                          .arg((gap.toNs - gap.fromNs) / 1e6, 0, 'f', 1)
                          .arg(gap.text(origin))
                    : QStringLiteral("the loop on processor %1 ran at least every 4 ms")
                          .arg(loop->processor()));
        }
        return QStringLiteral("meanwhile an idle event loop kept %1; the window's stall %2; "
                              "during the window's stall %3")
            .arg(stalls.join(QStringLiteral("; one kept ")),
                 overlapped.isEmpty()
                     ? QStringLiteral("overlapped neither")
                     : QStringLiteral("overlapped that of the loop on processor %1")
                           .arg(overlapped.join(QStringLiteral(" and "))),
                 during.join(QStringLiteral(", ")));
    }

private:
    std::vector<std::unique_ptr<IdleLoopBeside>> m_loops;
};

// Two threads that keep both cores busy while this lives, as the peer and
// the spill file's writer do during a fill.
class BusyCores
{
public:
    BusyCores()
        : m_first([this] { spin(); })
        , m_second([this] { spin(); })
    {}
    ~BusyCores()
    {
        m_stop = true;
        m_first.join();
        m_second.join();
    }

private:
    void spin() const
    {
        volatile quint64 n = 0;
        while (!m_stop.load(std::memory_order_relaxed))
            n = n + 1;
    }

    std::atomic<bool> m_stop{false};
    std::thread m_first;
    std::thread m_second;
};

// The machine's own floor for the rows after it: the longest stall of an event
// loop with nothing to do while two other threads keep both cores busy, as
// the peer and the spill file's writer do during the fill.
void machineFloorRow(BenchTable &table, int seconds)
{
    StallMeter meter;
    {
        const BusyCores busy;
        meter.start();
        runLoopUntil([] { return false; }, seconds * 1000);
        meter.stop();
    }
    table.row(QStringLiteral("this machine's floor: longest stall of a window with nothing to do "
                             "while two other threads keep both cores busy, %1 s")
                  .arg(seconds),
              meter.longestText(), QString());
}

// What a fixed piece of work seems to cost here: the same arithmetic, timed
// again and again on its thread's own processor clock while two other
// threads keep both cores busy. The shortest time is what the work costs; a
// longer one is time the virtual machine's processor was taken away while
// the thread's clock ran on, which a stall's "user" time then includes.
void machineWorkRow(BenchTable &table, int seconds)
{
    const auto threadNs = [] {
        timespec now{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    };
    volatile double x = 1;
    const auto work = [&x](qint64 steps) {
        for (qint64 i = 0; i < steps; ++i)
            x = x * 1.0000001 + 1e-9;
    };
    // A piece of a few tenths of a millisecond, sized before the other
    // threads start.
    qint64 steps = 1000;
    for (qint64 start = threadNs(); threadNs() - start < 500000; steps *= 2)
        work(steps);
    steps /= 2;
    qint64 shortest = std::numeric_limits<qint64>::max();
    qint64 longest = 0;
    qint64 pieces = 0;
    {
        const BusyCores busy;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < seconds * 1000) {
            const qint64 before = threadNs();
            work(steps);
            const qint64 took = threadNs() - before;
            shortest = std::min(shortest, took);
            longest = std::max(longest, took);
            ++pieces;
        }
    }
    table.row(QStringLiteral("this machine's floor for work: one fixed piece of arithmetic, timed "
                             "on its thread's own processor clock while two other threads keep "
                             "both cores busy, %1 s")
                  .arg(seconds),
              QStringLiteral("shortest %1 ms, longest %2 ms (%3 pieces)")
                  .arg(shortest / 1e6, 0, 'f', 2)
                  .arg(longest / 1e6, 0, 'f', 2)
                  .arg(pieces),
              QString());
}

// Why a pane's file is made and removed on its writer's thread: how long
// making, then removing, a file's name takes in the panes' folder while
// another thread writes there as fast as it can, as a filling pane's writer
// does, and half way through frees a file of gigabytes, as a pane that goes
// does. Both wait for the file system's journal.
void fileNamesRow(BenchTable &table, int seconds)
{
    const QByteArray folder = QFile::encodeName(PaneSpill::folder());
    QDir().mkpath(PaneSpill::folder());
    const auto makeFile = [&folder] {
        QByteArray name = folder + "/varnokterm-bench-XXXXXX";
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        return std::pair(fd, name);
    };
    // The writer's files, nameless from the start: nothing is left behind.
    const auto makeNameless = [&makeFile] {
        const auto [fd, name] = makeFile();
        if (fd >= 0)
            ::unlink(name.constData());
        return fd;
    };
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        const QByteArray block(4 << 20, 'x');
        QElapsedTimer clock;
        clock.start();
        bool freed = false;
        int fd = makeNameless();
        for (qint64 offset = 0; fd >= 0 && !stop; offset += block.size()) {
            if (::pwrite(fd, block.constData(), size_t(block.size()), offset) < 0)
                break;
            if (!freed && clock.elapsed() > seconds * 500) {
                freed = true;
                ::close(std::exchange(fd, makeNameless()));
                offset = -block.size();
            }
        }
        if (fd >= 0)
            ::close(fd);
    });
    qint64 longestMake = 0;
    qint64 longestRemove = 0;
    int count = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        const qint64 start = steadyNs();
        auto [fd, name] = makeFile();
        const qint64 made = steadyNs();
        if (fd >= 0) {
            ::unlink(name.constData());
            ::close(fd);
        }
        longestMake = std::max(longestMake, made - start);
        longestRemove = std::max(longestRemove, steadyNs() - made);
        ++count;
        QThread::msleep(10);
    }
    stop = true;
    writer.join();
    table.row(QStringLiteral("machine: making, then removing, a file in the panes' folder while "
                             "another thread writes there at full speed and, half way through, "
                             "frees what it wrote, %1 s")
                  .arg(seconds),
              QStringLiteral("longest made in %1 ms, longest removed in %2 ms (%3 files)")
                  .arg(longestMake / 1e6, 0, 'f', 1)
                  .arg(longestRemove / 1e6, 0, 'f', 1)
                  .arg(count),
              QString());
}

// The Clear button on the full pane: its memory and file are given back
// on threads of their own while the window goes on.
void clearRow(BenchTable &table, Channel &channel, qint64 size)
{
    StallMeter meter;
    IdleLoopsBeside besides;
    meter.start();
    const qint64 origin = steadyNs();
    double clearMs = 0;
    // From the event loop, as a click would, so the meter sees it.
    QTimer::singleShot(50, &channel, [&] {
        QElapsedTimer clock;
        clock.start();
        channel.clearReceived();
        clearMs = clock.nsecsElapsed() / 1e6;
    });
    runLoopUntil([] { return false; }, 3000);
    meter.stop();
    const QString besideStalls = besides.finish(meter.longestSpan(), origin);
    table.row(QStringLiteral("longest window stall while Clear gives back a shown pane of %1 MB "
                             "(its file included), over 3 s")
                  .arg(size >> 20),
              QStringLiteral("%1, %2; the clear itself took %3 ms; %4")
                  .arg(meter.longestText(), meter.longestSpan().text(origin))
                  .arg(clearMs, 0, 'f', 1)
                  .arg(besideStalls),
              QStringLiteral("<= 16 ms"), meter.longestMs() <= 16);
}

} // namespace

void spillStallBench(BenchTable &table, bool quick)
{
    // First: a fill's end (8 GB unmapped, its file's space freed) must not
    // land in it.
    machineFloorRow(table, quick ? 2 : 10);
    machineWorkRow(table, quick ? 2 : 10);
    fileNamesRow(table, quick ? 2 : 8);
    const qint64 size = quick ? qint64(256) << 20 : qint64(8) << 30;
    // Before: without the receive path's savings; after: as it runs.
    for (const bool tuned : {false, true}) {
        receiveTuning() = tuned ? ReceiveTuning() : ReceiveTuning{false, false};
        Program program;
        program.choose(1, "optRT", "optASCII");
        Source source;
        source.tcp = true;
        const int fd = attach(program, source);
        const PaneText &pane = program.session.channel(1).pane();
        StallMeter meter;
        QElapsedTimer clock;
        IdleLoopsBeside besides;
        meter.start();
        clock.start();
        const qint64 origin = steadyNs();
        bool complete = false;
        QString besideStalls;
        {
            FloodWriter writer(fd, size);
            complete = runLoopUntil([&] { return pane.size() >= size; }, 1800000);
            meter.stop();
            besideStalls = besides.finish(meter.longestSpan(), origin);
            if (!complete)
                ::shutdown(fd, SHUT_RDWR); // the writer ends
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        const double heapMb = double(::mallinfo2().arena) / (1 << 20);
        table.row(QStringLiteral("longest window stall while a 127.0.0.1 peer fills a shown pane "
                                 "with %1 MB of text at full speed, %2")
                      .arg(size >> 20)
                      .arg(tuned ? QStringLiteral("after") : QStringLiteral("before")),
                  QStringLiteral("%1, %2; %3 MB/s%4; %5")
                      .arg(meter.longestText(), meter.longestSpan().text(origin))
                      .arg(size / 1e6 / seconds, 0, 'f', 0)
                      .arg(complete ? QString() : QStringLiteral(", **INCOMPLETE**"), besideStalls),
                  QStringLiteral("<= 16 ms"), complete && meter.longestMs() <= 16);
        // What the heap held then: memory of malloc's own, which goes back
        // to the kernel in one piece, with the heap locked, when freed.
        table.row(QStringLiteral("diagnostic: the heap (malloc's memory outside mapped pages) "
                                 "at the end of the %1 fill, the pane still full")
                      .arg(tuned ? QStringLiteral("after") : QStringLiteral("before")),
                  QStringLiteral("%1 MB").arg(heapMb, 0, 'f', 1), QString());
        if (tuned && complete)
            clearRow(table, program.session.channel(1), size);
    }
    receiveTuning() = ReceiveTuning();
}
