#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

// An append-only list kept in fixed-size chunks: growing never copies what
// is held (no stall however long it gets), and memory stays sized to the
// contents, one partly filled chunk at most.
template <typename T, int ChunkShift = 12> class ChunkedList
{
public:
    static constexpr qsizetype kChunk = qsizetype(1) << ChunkShift;

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
            m_chunks.emplace_back(new T[kChunk]);
        (*this)[m_size++] = value;
    }

    // Keeps the first `size` items.
    void truncate(qsizetype size)
    {
        if (size >= m_size)
            return;
        m_size = size;
        m_chunks.resize(size_t((size + kChunk - 1) >> ChunkShift));
    }

    // Forgets everything and gives the memory back.
    void clear()
    {
        std::vector<std::unique_ptr<T[]>>().swap(m_chunks);
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
    std::vector<std::unique_ptr<T[]>> m_chunks;
    qsizetype m_size = 0;
};
