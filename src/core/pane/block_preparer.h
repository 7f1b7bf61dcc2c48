#pragma once

#include <cstddef>
#include <memory>

// A pane's next text block, made ready on a thread of its own: mapped (2 MB
// aligned, in huge pages where it is one) and made whole, so the window's
// thread takes a block without a page fault per 4 KB and without clearing
// its memory itself. One block waits at a time; taking it starts the next.
//
// take() never waits: when the helper has not finished (the first block,
// or a pane filling faster than blocks are made), it returns nullptr and
// the caller maps a plain block, whose pages come as the bytes land. A
// block not taken is unmapped when the preparer ends, on the program's
// unmapping thread (PageMemory).
class BlockPreparer
{
public:
    explicit BlockPreparer(std::size_t blockBytes);
    ~BlockPreparer();
    BlockPreparer(const BlockPreparer &) = delete;
    BlockPreparer &operator=(const BlockPreparer &) = delete;

    std::size_t blockBytes() const { return m_bytes; }
    // A ready block, or nullptr; either way the next one is started.
    char *take();

    // Maps `bytes` aligned to 2 MB where it is a multiple of it, in huge
    // pages, and makes every page present (on the calling thread).
    static char *mapWhole(std::size_t bytes);

private:
    struct Shared;
    std::size_t m_bytes;
    std::shared_ptr<Shared> m_shared;
};
