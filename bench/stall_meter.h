#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

// Measures how long the event loop goes without running: a 1 ms timer whose
// largest gap between ticks is the longest stall. It also keeps how much of
// that gap the thread spent runnable but waiting for a processor (other
// programs running instead), from /proc/thread-self/schedstat.
class StallMeter : public QObject
{
public:
    StallMeter()
        : m_schedstat(::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC))
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
    ~StallMeter() override
    {
        if (m_schedstat >= 0)
            ::close(m_schedstat);
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
    qint64 runDelayNs() const
    {
        char text[128] = {};
        const ssize_t got = m_schedstat < 0 ? 0 : ::pread(m_schedstat, text, sizeof text - 1, 0);
        return got <= 0 ? 0 : QByteArray(text, got).split(' ').value(1).toLongLong();
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    const int m_schedstat;
    qint64 m_last = -1;
    qint64 m_lastWaited = 0;
    qint64 m_longest = 0;
    qint64 m_longestAt = 0;
    qint64 m_longestWaited = 0;
};
