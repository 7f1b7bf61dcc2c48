#pragma once

#include "core/arrival_clock.h"

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

struct LogEntry
{
    int channel = 1;
    LogDirection direction = LogDirection::Received;
    qint64 wallMs = 0; // arrival of the entry's first byte
    quint64 order = 0; // arrival order of the batch holding its first byte
    QByteArray bytes;
};
