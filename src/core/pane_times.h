#pragma once

#include <QHash>
#include <QtGlobal>

#include <limits>
#include <memory>
#include <vector>

// The arrival time of each line of a pane, in milliseconds since the epoch,
// line-aligned with the pane's line index: entry N is line N's time, the time
// of the batch that brought its first byte. A line gets its entry when that
// byte arrives, so the count trails the line count by one while the last line
// is still empty.
//
// Kept in memory whatever the pane spills, and small for it: lines come in
// chunks of 4096, each with a 64-bit base time and a 32-bit offset per line
// (about 4 bytes a line). The rare time more than 24 days from its chunk's
// base is kept aside in full.
class PaneTimes
{
public:
    static constexpr qint64 kNone = std::numeric_limits<qint64>::min();

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
    static constexpr qint32 kAside = std::numeric_limits<qint32>::min();

    struct Chunk
    {
        qint64 base = 0;
        std::unique_ptr<qint32[]> offsets;
    };

    std::vector<Chunk> m_chunks;
    QHash<qsizetype, qint64> m_aside;
    qsizetype m_size = 0;
};
