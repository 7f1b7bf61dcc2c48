#pragma once

#include "core/log/log_entry.h"

#include <QByteArrayView>
#include <QList>

// Cuts one direction of one channel's bytes into log entries. A line ends
// at LF, or at a CR not followed by LF. Bytes with no line end yet wait as a
// piece; once the piece's first byte has waited pieceWaitMs it becomes an
// entry of its own, so nothing stays out of the log for long.
//
// A line whose CR ends a batch waits for the next batch to tell CR LF from
// a lone CR, up to crWaitMs from its first byte: devices often send the LF
// with their next write (the demo peer does, 100 ms later), and a log cut
// between CR and LF reads badly.
class LogLineSplitter
{
public:
    static constexpr qint64 pieceWaitMs = 100;
    static constexpr qint64 crWaitMs = 150;

    LogLineSplitter(int channel, LogDirection direction);

    // Bytes that arrived at `time`, in a batch whose arrival order is
    // `order`. Entries that are complete are appended to `out`.
    void feed(QByteArrayView bytes, const ArrivalTime &time, quint64 order, QList<LogEntry> &out);
    // Appends the waiting piece to `out` if it has waited long enough by
    // `steadyMs`.
    void takeDue(qint64 steadyMs, QList<LogEntry> &out);
    // Appends the waiting piece, however young (the recording ends).
    void takeAll(QList<LogEntry> &out);

    bool hasPiece() const { return !m_piece.bytes.isEmpty(); }
    // Only with a piece: when it becomes due, and its arrival order.
    qint64 pieceDueMs() const
    {
        return m_pieceSteadyMs + (m_piece.bytes.endsWith('\r') ? crWaitMs : pieceWaitMs);
    }
    quint64 pieceOrder() const { return m_piece.order; }

private:
    void addToPiece(QByteArrayView bytes, const ArrivalTime &time, quint64 order);
    void takePiece(QList<LogEntry> &out);

    LogEntry m_piece;
    qint64 m_pieceSteadyMs = 0;
};
