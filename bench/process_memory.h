#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>

#include <time.h>
#include <unistd.h>

// The process's memory from /proc/self/status, in kB: VmRSS (now) or
// VmHWM (the peak since the last resetPeakMemory()); -1 if unknown.
inline qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Starts VmHWM again from the present VmRSS.
inline void resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// The resident memory now, in bytes, from /proc/self/statm; 0 if unknown.
inline qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// The calling thread's processor time so far, in seconds.
inline double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The whole process's processor time so far (every thread), in seconds.
inline double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Waits (up to `longestMs`) until the process's other threads have nothing
// left to do: 20 ms in which all threads together took under 1 ms of
// processor time. A run measured by the whole process's time then starts
// without the clean-up of the run before it (memory given back on a thread
// of its own) counted as its own.
inline void waitForQuietProcess(int longestMs = 2000)
{
    for (int waited = 0; waited < longestMs; waited += 20) {
        const double before = processCpuSeconds();
        usleep(20000);
        if (processCpuSeconds() - before < 0.001)
            return;
    }
}
