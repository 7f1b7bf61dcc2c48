#include "core/log/log_line_splitter.h"

#include "core/byte_text.h"

LogLineSplitter::LogLineSplitter(int channel, LogDirection direction)
{
    m_piece.channel = channel;
    m_piece.direction = direction;
}

void LogLineSplitter::addToPiece(QByteArrayView bytes, const ArrivalTime &time, quint64 order)
{
    if (m_piece.bytes.isEmpty()) {
        m_piece.wallMs = time.wallMs;
        m_piece.order = order;
        m_pieceSteadyMs = time.steadyMs;
    }
    ByteText::appendBytes(m_piece.bytes, bytes);
}

void LogLineSplitter::takePiece(QList<LogEntry> &out)
{
    out.append(m_piece);
    m_piece.bytes = QByteArray();
}

void LogLineSplitter::feed(QByteArrayView bytes, const ArrivalTime &time, quint64 order,
                           QList<LogEntry> &out)
{
    takeDue(time.steadyMs, out);
    if (bytes.isEmpty())
        return;
    qsizetype pos = 0;
    if (m_piece.bytes.endsWith('\r')) {
        // The CR that ended the last batch: CR LF, or a line end of its own.
        if (bytes.front() == '\n') {
            m_piece.bytes.append('\n');
            pos = 1;
        }
        takePiece(out);
    }
    const qsizetype size = bytes.size();
    const char *data = bytes.data();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        if (end == size || (data[end] == '\r' && end + 1 == size)) {
            addToPiece(bytes.sliced(pos), time, order); // no line end yet, or a CR to decide
            return;
        }
        end += (data[end] == '\r' && data[end + 1] == '\n') ? 2 : 1;
        addToPiece(bytes.sliced(pos, end - pos), time, order);
        takePiece(out);
        pos = end;
    }
}

void LogLineSplitter::takeDue(qint64 steadyMs, QList<LogEntry> &out)
{
    if (hasPiece() && steadyMs >= pieceDueMs())
        takePiece(out);
}

void LogLineSplitter::takeAll(QList<LogEntry> &out)
{
    if (hasPiece())
        takePiece(out);
}
