#include "core/pane/pane_times.h"

#include <algorithm>
#include <bit>

PaneTimes::PaneTimes() = default;
PaneTimes::~PaneTimes() = default;

qint64 PaneTimes::at(qsizetype line) const
{
    if (line < 0 || line >= m_size)
        return kNone;
    const qsizetype chunkIndex = line >> kShift;
    const Chunk &chunk = m_chunks[chunkIndex];
    const int index = int(line & (kChunk - 1));
    const int word = index >> 6;
    const int bit = index & 63;
    const quint64 upTo = bit == 63 ? ~quint64(0) : (quint64(2) << bit) - 1;
    // The chunk's first line always has a time of its own.
    const qsizetype own =
        chunk.before[size_t(word)] + std::popcount(chunk.changes[size_t(word)] & upTo) - 1;
    const qint32 offset = m_offsets[chunk.firstOffset + own];
    if (offset == kAside)
        return m_aside.value((chunkIndex << kShift) | own, kNone);
    return chunk.base + offset;
}

void PaneTimes::append(qint64 ms)
{
    const int index = int(m_size & (kChunk - 1));
    if (index == 0) {
        Chunk fresh;
        fresh.base = ms;
        fresh.firstOffset = m_offsets.size();
        m_chunks.append(fresh);
    }
    Chunk &chunk = m_chunks.last();
    const int word = index >> 6;
    if ((index & 63) == 0 && word > 0)
        chunk.before[size_t(word)] = quint16(chunk.before[size_t(word - 1)] +
                                             std::popcount(chunk.changes[size_t(word - 1)]));
    if (index == 0 || ms != m_last) {
        chunk.changes[size_t(word)] |= quint64(1) << (index & 63);
        const qint64 offset = ms - chunk.base;
        if (offset > std::numeric_limits<qint32>::max() || offset <= kAside) {
            const qsizetype chunkIndex = m_chunks.size() - 1;
            m_aside.insert((chunkIndex << kShift) | (m_offsets.size() - chunk.firstOffset), ms);
            m_offsets.append(kAside);
        } else {
            m_offsets.append(qint32(offset));
        }
    }
    m_last = ms;
    ++m_size;
}

void PaneTimes::extendTo(qsizetype count, qint64 ms)
{
    while (m_size < count) {
        if ((m_size & (kChunk - 1)) == 0 || ms != m_last) {
            append(ms); // a chunk's first line, or a time of its own
            continue;
        }
        // Lines that share the time before them set no bit: within the
        // chunk only the counts of set bits before each word need filling in
        // as the lines pass a word's start.
        Chunk &chunk = m_chunks.last();
        const qsizetype chunkEnd = (m_size | (kChunk - 1)) + 1;
        const qsizetype to = std::min(count, chunkEnd);
        const int firstWord = int(((m_size & (kChunk - 1)) + 63) >> 6);
        const int endWord = int((((to - 1) & (kChunk - 1)) >> 6) + 1);
        for (int word = std::max(firstWord, 1); word < endWord; ++word)
            chunk.before[size_t(word)] = quint16(chunk.before[size_t(word - 1)] +
                                                 std::popcount(chunk.changes[size_t(word - 1)]));
        m_size = to;
    }
}

void PaneTimes::clear()
{
    m_chunks.clear();
    m_offsets.clear();
    m_aside = {};
    m_size = 0;
    m_last = kNone;
}

qsizetype PaneTimes::memoryBytes() const
{
    // What the entries fill: the pages of a chunk not reached yet were
    // mapped but never touched, and hold no memory.
    const qsizetype bytes =
        m_chunks.size() * qsizetype(sizeof(Chunk)) + m_offsets.size() * qsizetype(sizeof(qint32));
    return bytes + m_aside.size() * qsizetype(2 * sizeof(qint64));
}
