#include "core/pane/block_preparer.h"

#include "core/pane/page_memory.h"

#include <QtGlobal>

#include <mutex>
#include <sys/mman.h>
#include <thread>
#include <utility>

// What the helper and the preparer share; it outlives a preparer that ends
// while a block is being made.
struct BlockPreparer::Shared
{
    std::mutex lock;
    char *ready = nullptr;
    bool making = false;
    bool abandoned = false;
};

BlockPreparer::BlockPreparer(std::size_t blockBytes)
    : m_bytes(blockBytes)
    , m_shared(std::make_shared<Shared>())
{}

BlockPreparer::~BlockPreparer()
{
    char *ready = nullptr;
    {
        const std::lock_guard<std::mutex> guard(m_shared->lock);
        m_shared->abandoned = true; // a block under way is unmapped by its maker
        ready = std::exchange(m_shared->ready, nullptr);
    }
    if (ready)
        PageMemory::unmapAll({ready}, m_bytes);
}

char *BlockPreparer::take()
{
    char *ready = nullptr;
    {
        const std::lock_guard<std::mutex> guard(m_shared->lock);
        ready = std::exchange(m_shared->ready, nullptr);
        if (m_shared->making)
            return ready;
        m_shared->making = true;
    }
    // A thread per block: a block is at most 2 MB of a flood, made a few
    // hundred times a second at most, and no pool's other work delays it.
    std::thread([shared = m_shared, bytes = m_bytes] {
        char *block = nullptr;
        try {
            block = mapWhole(bytes);
        } catch (...) {
            // No memory now: the window maps its own block when it needs one.
        }
        std::unique_lock<std::mutex> guard(shared->lock);
        shared->making = false;
        if (shared->abandoned && block) {
            guard.unlock();
            ::munmap(block, bytes);
            return;
        }
        shared->ready = block;
    }).detach();
    return ready;
}

char *BlockPreparer::mapWhole(std::size_t bytes)
{
    constexpr std::size_t hugePage = std::size_t(2) << 20;
    const std::size_t align = bytes % hugePage == 0 ? hugePage : 0;
    char *mapping = static_cast<char *>(
        ::mmap(nullptr, bytes + align, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (mapping == MAP_FAILED)
        qBadAlloc();
    char *block = mapping;
    if (align > 0) {
        block = reinterpret_cast<char *>((quintptr(mapping) + align - 1) & ~quintptr(align - 1));
        if (block > mapping)
            ::munmap(mapping, std::size_t(block - mapping));
        if (const std::size_t tail = std::size_t(mapping + bytes + align - (block + bytes));
            tail > 0)
            ::munmap(block + bytes, tail);
        ::madvise(block, bytes, MADV_HUGEPAGE);
    }
    ::madvise(block, bytes, MADV_POPULATE_WRITE); // a kernel without it: faults as the bytes land
    return block;
}
