#pragma once

#include <QByteArray>
#include <QtGlobal>

// One entry of a timestamped log: a line (or a piece that waited) of one
// channel's received or sent bytes, or a note about its link.

enum class LogDirection
{
    Received, // written as '<'
    Sent,     // written as '>'
    Note      // the program's own words about the link, written as '!'
};

// When bytes arrived: a steady clock for waiting (immune to clock changes)
// and the wall clock for the entry's timestamp.
struct ArrivalTime
{
    qint64 steadyMs = 0;
    qint64 wallMs = 0; // milliseconds since the epoch
};

struct LogEntry
{
    int channel = 1;
    LogDirection direction = LogDirection::Received;
    qint64 wallMs = 0; // arrival of the entry's first byte
    quint64 order = 0; // arrival order of the batch holding its first byte
    QByteArray bytes;
};
