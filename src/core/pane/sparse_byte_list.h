#pragma once

#include "core/pane/page_memory.h"

#include <QtGlobal>

#include <utility>
#include <vector>

// Bytes by index, zero unless set: memory is taken only for the pages of the
// stretches of 256 K indexes where something was set, so a list that is
// mostly zero costs next to nothing. The stretches are mapped pages
// (PageMemory), not the heap: a pane of narrow columns sets a byte for
// nearly every line, and gigabytes of text then made a hundred megabytes of
// heap that, given back in one go, held the heap's lock for every thread
// for tens of milliseconds.
class SparseByteList
{
public:
    static constexpr int kShift = 18;
    static constexpr qsizetype kChunk = qsizetype(1) << kShift;

    SparseByteList() = default;
    ~SparseByteList() { clear(); }
    SparseByteList(const SparseByteList &) = delete;
    SparseByteList &operator=(const SparseByteList &) = delete;
    SparseByteList(SparseByteList &&other) noexcept
        : m_chunks(std::exchange(other.m_chunks, {}))
    {}
    SparseByteList &operator=(SparseByteList &&other) noexcept
    {
        if (this != &other) {
            clear();
            m_chunks = std::exchange(other.m_chunks, {});
        }
        return *this;
    }

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
            m_chunks.resize(chunk + 1, nullptr);
        }
        if (!m_chunks[chunk]) {
            if (value == 0)
                return;
            m_chunks[chunk] = static_cast<quint8 *>(PageMemory::map(size_t(kChunk)));
        }
        m_chunks[chunk][i & (kChunk - 1)] = value;
    }

    // Everything zero again, the memory given back (many stretches on the
    // unmapping thread).
    void clear()
    {
        std::vector<void *> mapped;
        for (quint8 *chunk : m_chunks)
            if (chunk)
                mapped.push_back(chunk);
        std::vector<quint8 *>().swap(m_chunks);
        if (!mapped.empty())
            PageMemory::unmapAll(std::move(mapped), size_t(kChunk));
    }

private:
    std::vector<quint8 *> m_chunks;
};
