#pragma once

#include "core/channel_state.h"
#include "core/log/log_entry.h"

#include <QByteArray>
#include <QByteArrayView>

// Writes log entries as text lines:
//     2024-05-01 12:00:00.123 1< T=23.41C\r\n
// the local time of the entry's first byte, the channel number, '<' for
// received or '>' for sent, a space, then the bytes in the channel's format:
// ASCII with C-style escapes for anything not printable, or hex pairs, or
// decimal numbers, each separated by a space. The line ends with LF. A note
// about the link is '!' and its words, whatever the format:
//     2024-05-01 12:00:03.456 2! reconnected to /dev/ttyUSB0
class LogEntryText
{
public:
    void append(QByteArray &out, const LogEntry &entry, ReceiveFormat format);

    // The ASCII form: printable ASCII as it is, `\r`, `\n`, `\t`, `\\`, and
    // `\xNN` (two upper-case digits) for every other byte.
    static void appendEscaped(QByteArray &out, QByteArrayView bytes);

private:
    void appendTimestamp(QByteArray &out, qint64 wallMs);

    // Converting to local time is slow; most entries fall in the same second
    // as the one before.
    qint64 m_cachedSecond = -1;
    QByteArray m_cachedPrefix; // "yyyy-MM-dd hh:mm:ss."
};
