#include "core/pane_times.h"

qint64 PaneTimes::at(qsizetype line) const
{
    if (line < 0 || line >= m_size)
        return kNone;
    const Chunk &chunk = m_chunks[size_t(line >> kShift)];
    const qint32 offset = chunk.offsets[line & (kChunk - 1)];
    if (offset == kAside)
        return m_aside.value(line, kNone);
    return chunk.base + offset;
}

void PaneTimes::append(qint64 ms)
{
    if ((m_size & (kChunk - 1)) == 0)
        m_chunks.push_back(Chunk{ms, std::make_unique<qint32[]>(size_t(kChunk))});
    const Chunk &chunk = m_chunks.back();
    const qint64 offset = ms - chunk.base;
    if (offset > std::numeric_limits<qint32>::max() || offset <= kAside) {
        m_aside.insert(m_size, ms);
        chunk.offsets[m_size & (kChunk - 1)] = kAside;
    } else {
        chunk.offsets[m_size & (kChunk - 1)] = qint32(offset);
    }
    ++m_size;
}

void PaneTimes::extendTo(qsizetype count, qint64 ms)
{
    while (m_size < count)
        append(ms);
}

void PaneTimes::clear()
{
    std::vector<Chunk>().swap(m_chunks);
    m_aside = {};
    m_size = 0;
}

qsizetype PaneTimes::memoryBytes() const
{
    return qsizetype(m_chunks.capacity() * sizeof(Chunk)) +
           qsizetype(m_chunks.size()) * kChunk * qsizetype(sizeof(qint32)) +
           m_aside.size() * qsizetype(2 * sizeof(qint64));
}
