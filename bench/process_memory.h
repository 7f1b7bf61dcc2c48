#pragma once

#include <QByteArray>
#include <QFile>

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
