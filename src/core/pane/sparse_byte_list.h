#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

// Bytes by index, zero unless set: memory is taken only for the stretches
// of 16 K indexes where something was set, so a list that is mostly zero
// costs next to nothing.
class SparseByteList
{
public:
    static constexpr int kShift = 14;
    static constexpr qsizetype kChunk = qsizetype(1) << kShift;

    quint8 at(qsizetype i) const
    {
        const size_t chunk = size_t(i >> kShift);
        return chunk < m_chunks.size() && m_chunks[chunk] ? m_chunks[chunk][i & (kChunk - 1)] : 0;
    }

    void set(qsizetype i, quint8 value)
    {
        const size_t chunk = size_t(i >> kShift);
        if (chunk >= m_chunks.size()) {
            if (value == 0)
                return;
            m_chunks.resize(chunk + 1);
        }
        if (!m_chunks[chunk]) {
            if (value == 0)
                return;
            m_chunks[chunk].reset(new quint8[kChunk]());
        }
        m_chunks[chunk][i & (kChunk - 1)] = value;
    }

    // Everything zero again, the memory given back.
    void clear() { std::vector<std::unique_ptr<quint8[]>>().swap(m_chunks); }

private:
    std::vector<std::unique_ptr<quint8[]>> m_chunks;
};
