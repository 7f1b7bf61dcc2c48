#pragma once

#include "core/pane/chunked_list.h"

#include <QHash>
#include <QtGlobal>

#include <array>
#include <limits>

// The arrival time of each line of a pane, in milliseconds since the epoch,
// line-aligned with the pane's line index: entry N is line N's time, the time
// of the batch that brought its first byte. A line gets its entry when that
// byte arrives, so the count trails the line count by one while the last line
// is still empty.
//
// Kept in memory whatever the pane spills, and small for it: lines come in
// chunks of 4096 with a 64-bit base time each; a bit per line says whether
// its time differs from the line before's, and only such a line keeps a
// 32-bit offset from the base, in one list for all chunks (growing it never
// copies: fresh pages cost more than the offsets themselves). Lines of one batch share a time, so a
// pane fed in batches pays about a bit a line; one batch a line costs about 4.2 bytes a line. The
// rare time more than 24 days from its chunk's base is kept aside in full.
class PaneTimes
{
public:
    static constexpr qint64 kNone = std::numeric_limits<qint64>::min();

    PaneTimes();
    ~PaneTimes();

    qsizetype size() const { return m_size; }
    // Line `line`'s time, or kNone for a line without one (yet).
    qint64 at(qsizetype line) const;
    // Gives the next line its time.
    void append(qint64 ms);
    // Gives lines up to `count` (exclusive) the time `ms`.
    void extendTo(qsizetype count, qint64 ms);
    // Forgets every time and gives the memory back.
    void clear();
    // The bytes held for the times.
    qsizetype memoryBytes() const;

private:
    static constexpr int kShift = 12;
    static constexpr qsizetype kChunk = qsizetype(1) << kShift;
    static constexpr int kWords = int(kChunk / 64);
    static constexpr qint32 kAside = std::numeric_limits<qint32>::min();

    struct Chunk
    {
        qint64 base = 0;
        std::array<quint64, kWords> changes{}; // bit set: a time of its own
        std::array<quint16, kWords> before{};  // set bits in the words before
        qsizetype firstOffset = 0;             // in m_offsets, one per set bit
    };

    ChunkedList<Chunk, 6> m_chunks;
    ChunkedList<qint32, 16> m_offsets; // from each chunk's base
    // Times too far from their chunk's base, by chunk << kShift | offset index.
    QHash<qsizetype, qint64> m_aside;
    qsizetype m_size = 0;
    qint64 m_last = kNone;
};
