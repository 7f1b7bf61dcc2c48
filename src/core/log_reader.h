#pragma once

#include "core/channel_state.h"
#include "core/log_entry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// Reads a timestamped log back (the lines LogEntryText writes): each line's
// local time, channel, direction and bytes. A line does not say in which
// format its bytes were written (" 41 42" may be text or two hex bytes), so
// the reader is told: ASCII reads the escapes back, Hex reads pairs of
// upper- or lower-case digits, Decimal numbers 0 to 255. A note line ('!')
// is read in ASCII whatever the format.
namespace LogReader {

// One line without its LF; nothing when it is not a log line in `format`.
std::optional<LogEntry> entryOfLine(QByteArrayView line, ReceiveFormat format);

struct Reading
{
    QList<LogEntry> entries;
    QString error; // "Line 3 is not a timestamped log line."; then no entries
};

// Every line of `text` (an empty last line is allowed). A text with no
// line at all, or with a line that does not read, is refused.
Reading entriesOfText(QByteArrayView text, ReceiveFormat format);

} // namespace LogReader
