#pragma once

#include "core/channel_state.h"
#include "core/log/log_entry.h"
#include "core/log/log_entry_text.h"
#include "core/log/log_line_splitter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <map>
#include <optional>
#include <utility>

// The text of a timestamped log of one or both channels: bytes go in as they
// arrive, complete entries come out as text lines in the order their first
// bytes arrived, each in its channel's current format. An entry waits while
// an earlier-started piece of another kind (the other channel, or the other
// direction) still waits, at most the piece rule's 100 ms.
//
// Pure logic: the caller gives every time.
class TimestampedLog
{
public:
    void add(int channel, LogDirection direction, QByteArrayView bytes, const ArrivalTime &time);
    // A line of the program's own about the channel's link ("reconnected to
    // ..."), in arrival order with the bytes; it waits for nothing.
    void note(int channel, QByteArrayView text, const ArrivalTime &time);
    // The format used for the channel's entries from now on (ASCII at first).
    void setFormat(int channel, ReceiveFormat format) { m_formats[channel] = format; }

    // The text of every entry that is ready by `steadyMs`.
    QByteArray take(qint64 steadyMs);
    // The text of every entry and waiting piece, however young.
    QByteArray takeAll();
    // When a waiting piece next becomes due, if one waits.
    std::optional<qint64> nextDueMs() const;

private:
    LogLineSplitter &splitter(int channel, LogDirection direction);
    QByteArray release(bool everything);

    std::map<std::pair<int, LogDirection>, LogLineSplitter> m_splitters;
    std::map<int, ReceiveFormat> m_formats;
    QList<LogEntry> m_ready;
    LogEntryText m_text;
    quint64 m_nextOrder = 0;
};
