#pragma once

#include "core/pane/page_memory.h"

#include <QtGlobal>

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

// An append-only list kept in fixed-size chunks: growing never copies what
// is held (no stall however long it gets), and memory stays sized to the
// contents, one partly filled (or, after a cut, empty) chunk at most. The
// chunks are mapped pages (PageMemory), so clearing a list of gigabytes of
// lines hands them to a thread to unmap and returns at once. A chunk's pages
// hold memory only once touched, so a list growing by the line takes chunks
// of a quarter megabyte or so: few mappings, each a call to the kernel.
// Items are plain data. MapChunk gives a chunk's zeroed memory (unmapped
// with PageMemory::unmapAll).
template <typename T, int ChunkShift = 12, void *(*MapChunk)(std::size_t) = PageMemory::map>
class ChunkedList
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "chunks are mapped pages: plain data only");

public:
    static constexpr qsizetype kChunk = qsizetype(1) << ChunkShift;

    ChunkedList() = default;
    ChunkedList(ChunkedList &&other) noexcept
        : m_chunks(std::exchange(other.m_chunks, {}))
        , m_size(std::exchange(other.m_size, 0))
    {}
    ChunkedList &operator=(ChunkedList &&other) noexcept
    {
        if (this != &other) {
            clear();
            m_chunks = std::exchange(other.m_chunks, {});
            m_size = std::exchange(other.m_size, 0);
        }
        return *this;
    }
    ~ChunkedList() { clear(); }

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // Items the chunks held now have room for.
    qsizetype capacity() const { return qsizetype(m_chunks.size()) << ChunkShift; }

    const T &operator[](qsizetype i) const { return m_chunks[i >> ChunkShift][i & (kChunk - 1)]; }
    T &operator[](qsizetype i) { return m_chunks[i >> ChunkShift][i & (kChunk - 1)]; }
    const T &last() const { return (*this)[m_size - 1]; }
    T &last() { return (*this)[m_size - 1]; }

    void append(const T &value)
    {
        if (m_size == qsizetype(m_chunks.size()) << ChunkShift)
            m_chunks.push_back(static_cast<T *>(MapChunk(kChunkBytes)));
        (*this)[m_size++] = value;
    }

    // Keeps the first `size` items. The chunk the next append writes to stays:
    // a list cut back to a chunk's end and grown again (a pane's open last
    // line, on every append of a line that never ends) would otherwise unmap
    // and map that chunk each time.
    void truncate(qsizetype size)
    {
        if (size >= m_size)
            return;
        m_size = size;
        const auto keep =
            m_chunks.begin() + std::min(qsizetype(m_chunks.size()), (size >> ChunkShift) + 1);
        if (keep == m_chunks.end())
            return;
        PageMemory::unmapAll(std::vector<void *>(keep, m_chunks.end()), kChunkBytes);
        m_chunks.erase(keep, m_chunks.end());
    }

    // Forgets everything and gives the memory back.
    void clear()
    {
        // A list that never grew (a pane's last line, made anew for every
        // line) has nothing to give back.
        if (!m_chunks.empty()) {
            PageMemory::unmapAll(std::vector<void *>(m_chunks.begin(), m_chunks.end()),
                                 kChunkBytes);
            std::vector<T *>().swap(m_chunks);
        }
        m_size = 0;
    }

    // The first index whose item `before` says the searched value precedes
    // (items ordered by that), or size().
    template <typename Before> qsizetype upperBound(Before before) const
    {
        qsizetype low = 0;
        qsizetype high = m_size;
        while (low < high) {
            const qsizetype mid = low + (high - low) / 2;
            if (before((*this)[mid]))
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    }

private:
    static constexpr size_t kChunkBytes = sizeof(T) << ChunkShift;

    std::vector<T *> m_chunks;
    qsizetype m_size = 0;
};
