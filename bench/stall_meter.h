#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>
#include <vector>

// Nanoseconds the calling thread has waited for a processor so far (other
// programs running): what a stall owes to a busy machine.
inline qint64 runDelayNs()
{
    static thread_local const int fd = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    char text[128] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    if (got <= 0)
        return 0;
    return QByteArray(text, got).split(' ').value(1).toLongLong();
}

// What the calling thread did so far: processor time in user code and in
// the kernel, page faults that needed (major) or did not need (minor) I/O.
struct ThreadUsage
{
    qint64 userNs = 0;
    qint64 systemNs = 0;
    qint64 majorFaults = 0;
    qint64 minorFaults = 0;

    static ThreadUsage now()
    {
        rusage usage{};
        ::getrusage(RUSAGE_THREAD, &usage);
        const auto ns = [](const timeval &t) {
            return qint64(t.tv_sec) * 1000000000 + t.tv_usec * 1000;
        };
        return {ns(usage.ru_utime), ns(usage.ru_stime), usage.ru_majflt, usage.ru_minflt};
    }
    ThreadUsage operator-(const ThreadUsage &before) const
    {
        return {userNs - before.userNs, systemNs - before.systemNs,
                majorFaults - before.majorFaults, minorFaults - before.minorFaults};
    }
};

// Nanoseconds on the steady clock every thread shares, so two meters' stalls
// can be put side by side.
inline qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// When a meter's longest stall began and ended, on the shared steady clock.
struct StallSpan
{
    qint64 fromNs = 0;
    qint64 toNs = 0;
    // Whether the two stalls shared a moment.
    bool overlaps(const StallSpan &other) const
    {
        return toNs > fromNs && other.toNs > other.fromNs && fromNs < other.toNs &&
               other.fromNs < toNs;
    }
    // "from 12.345 s to 12.378 s", counted from `originNs`, then the same on
    // the steady clock itself, which `perf record --clockid monotonic` uses:
    // a profile's samples of the stall are found by it.
    QString text(qint64 originNs) const
    {
        return QStringLiteral("from %1 s to %2 s (steady clock %3 s to %4 s)")
            .arg((fromNs - originNs) / 1e9, 0, 'f', 3)
            .arg((toNs - originNs) / 1e9, 0, 'f', 3)
            .arg(fromNs / 1e9, 0, 'f', 4)
            .arg(toNs / 1e9, 0, 'f', 4);
    }
};

// Measures how long the event loop goes without running: a 1 ms timer whose
// largest gap between ticks is the longest stall, and when it began and ended. It also keeps how
// much of that gap the thread spent runnable but waiting for a processor (other programs running
// instead), from /proc/thread-self/schedstat, and what it did in the rest: running (user, kernel)
// or asleep (waiting on a lock, a disk, another thread).
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = steadyNs();
            const qint64 waited = runDelayNs();
            const ThreadUsage usage = ThreadUsage::now();
            const int processor = ::sched_getcpu();
            if (m_last >= 0 && now - m_last > kKeptGapNs && m_gaps.size() < kMostKeptGaps)
                m_gaps.push_back({m_last, now});
            if (m_last >= 0 && now - m_last > m_longest) {
                m_longest = now - m_last;
                m_longestFrom = m_last;
                m_longestAt = now;
                m_longestWaited = waited - m_lastWaited;
                m_longestUsage = usage - m_lastUsage;
                m_longestProcessors = {m_lastProcessor, processor};
            }
            m_last = now;
            m_lastProcessor = processor;
            m_lastWaited = waited;
            m_lastUsage = usage;
        });
    }
    void start()
    {
        m_longest = 0;
        m_longestFrom = 0;
        m_longestAt = 0;
        m_longestWaited = 0;
        m_last = -1;
        m_gaps.clear();
        m_started = steadyNs();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double longestMs() const { return m_longest / 1e6; }
    // When the longest stall ended, in ms since start().
    double longestAtMs() const { return (m_longestAt - m_started) / 1e6; }
    StallSpan longestSpan() const { return {m_longestFrom, m_longestAt}; }
    // Of the stalls over kKeptGapNs, the longest that shared a moment with
    // `span` (another thread's), or an empty span: whether this loop, too,
    // went without running then, whatever its own longest stall was.
    StallSpan longestOverlapping(const StallSpan &span) const
    {
        StallSpan found;
        for (const StallSpan &gap : m_gaps) {
            if (gap.overlaps(span) && gap.toNs - gap.fromNs > found.toNs - found.fromNs)
                found = gap;
        }
        return found;
    }
    // How much of the longest stall the thread waited for a processor, in ms.
    double longestWaitedMs() const { return m_longestWaited / 1e6; }
    // "24.2 ms on processor 1 (0.3 ms of it waiting for a processor; user
    // 3.1 ms, ...)"
    QString longestText() const
    {
        const auto [before, after] = m_longestProcessors;
        const QString where =
            before == after ? QStringLiteral("on processor %1").arg(after)
                            : QStringLiteral("from processor %1 to %2").arg(before).arg(after);
        return QStringLiteral("%1 ms %2 (%3 ms of it waiting for a processor; %4)")
            .arg(longestMs(), 0, 'f', 1)
            .arg(where)
            .arg(longestWaitedMs(), 0, 'f', 1)
            .arg(longestBreakdown());
    }
    // "user 3.1 ms, kernel 20.0 ms, asleep 0.4 ms, 2 major / 510 minor faults"
    QString longestBreakdown() const
    {
        const ThreadUsage &u = m_longestUsage;
        const qint64 asleep =
            std::max<qint64>(0, m_longest - m_longestWaited - u.userNs - u.systemNs);
        return QStringLiteral("user %1 ms, kernel %2 ms, asleep %3 ms, %4 major / %5 minor faults")
            .arg(u.userNs / 1e6, 0, 'f', 1)
            .arg(u.systemNs / 1e6, 0, 'f', 1)
            .arg(asleep / 1e6, 0, 'f', 1)
            .arg(u.majorFaults)
            .arg(u.minorFaults);
    }

private:
    static constexpr qint64 kKeptGapNs = 4000000;
    static constexpr std::size_t kMostKeptGaps = 1 << 16;

    QTimer m_timer;
    std::vector<StallSpan> m_gaps;
    qint64 m_started = 0;
    qint64 m_last = -1;
    qint64 m_lastWaited = 0;
    qint64 m_longest = 0;
    qint64 m_longestFrom = 0;
    qint64 m_longestAt = 0;
    qint64 m_longestWaited = 0;
    ThreadUsage m_lastUsage;
    ThreadUsage m_longestUsage;
    int m_lastProcessor = -1;
    // The processor at the tick before the longest stall and at the one
    // that ended it.
    std::pair<int, int> m_longestProcessors{-1, -1};
};
