#pragma once

#include "core/channel_state.h"
#include "core/log/log_entry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

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

} // namespace LogReader

// Reads a timestamped log from an open file a piece at a time, so that what
// is held stays bounded whatever the log's size: one piece of text
// (`pieceSize`) and the line it ends in, and a line may be at most
// `longestLine`. A line ends at LF or CR LF; blank lines are skipped.
class LogFileReader
{
public:
    static constexpr qsizetype defaultPieceSize = qsizetype(1) << 20;
    static constexpr qsizetype longestLine = qsizetype(16) << 20;

    LogFileReader(QIODevice &file, ReceiveFormat format, qsizetype pieceSize = defaultPieceSize);

    // The next entry; nothing at the end of the file or at a line that
    // does not read (then error() says which, and reading stops).
    std::optional<LogEntry> next();
    QString error() const { return m_error; }
    // The number of the line the last entry came from.
    qsizetype lineNumber() const { return m_lineNumber; }
    // Text read from the file and not yet taken as lines.
    qsizetype heldBytes() const { return m_text.size() - m_at; }

private:
    void readPiece();

    QIODevice &m_file;
    ReceiveFormat m_format;
    qsizetype m_pieceSize;
    QByteArray m_text;
    qsizetype m_at = 0;      // where the next line starts in m_text
    qsizetype m_scanned = 0; // no LF before this
    bool m_atEnd = false;
    qsizetype m_lineNumber = 0;
    quint64 m_order = 0;
    QString m_error;
};
