#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

// Nanoseconds the thread that first calls this has waited for a processor
// so far (other programs running): what a stall owes to a busy machine.
// Every caller here is the window's thread.
inline qint64 runDelayNs()
{
    static const int fd = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    char text[128] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    if (got <= 0)
        return 0;
    return QByteArray(text, got).split(' ').value(1).toLongLong();
}

// Measures how long the event loop goes without running: a 1 ms timer whose
// largest gap between ticks is the longest stall. It also keeps how much of
// that gap the thread spent runnable but waiting for a processor (other
// programs running instead), from /proc/thread-self/schedstat.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            const qint64 waited = runDelayNs();
            if (m_last >= 0 && now - m_last > m_longest) {
                m_longest = now - m_last;
                m_longestAt = now;
                m_longestWaited = waited - m_lastWaited;
            }
            m_last = now;
            m_lastWaited = waited;
        });
    }
    void start()
    {
        m_longest = 0;
        m_longestAt = 0;
        m_longestWaited = 0;
        m_last = -1;
        m_clock.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double longestMs() const { return m_longest / 1e6; }
    // When the longest stall ended, in ms since start().
    double longestAtMs() const { return m_longestAt / 1e6; }
    // How much of the longest stall the thread waited for a processor, in ms.
    double longestWaitedMs() const { return m_longestWaited / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    qint64 m_lastWaited = 0;
    qint64 m_longest = 0;
    qint64 m_longestAt = 0;
    qint64 m_longestWaited = 0;
};
