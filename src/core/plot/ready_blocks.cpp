#include "core/plot/ready_blocks.h"

#include "core/pane/page_memory.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::array<std::size_t, 2> kReadySizes = {ReadyBlocks::kBytes, ReadyBlocks::kNodeBytes};
constexpr std::array<std::size_t, 2> kKept = {ReadyBlocks::kKeptBlocks, ReadyBlocks::kKeptNodes};
static_assert(PageMemory::kHugePage % ReadyBlocks::kBytes == 0 &&
                  PageMemory::kHugePage % ReadyBlocks::kNodeBytes == 0,
              "blocks are cut from huge pages");

// What one call to the kernel makes present.
constexpr std::size_t kReadyPiece = std::size_t(64) << 10;

// Takes that found nothing ready, for ReadyBlocks::missed().
std::atomic<std::size_t> g_missed{0};

// The thread that readies memory, started when a plot first asks.
class BlockReadier
{
public:
    static BlockReadier &instance()
    {
        // Never destroyed: the thread may still be readying memory at exit.
        static BlockReadier *readier = new BlockReadier;
        return *readier;
    }

    char *take(std::size_t kind)
    {
        char *block = nullptr;
        {
            const std::lock_guard lock(m_mutex);
            if (!m_ready[kind].empty()) {
                block = m_ready[kind].back();
                m_ready[kind].pop_back();
            } else {
                g_missed.fetch_add(1, std::memory_order_relaxed);
            }
        }
        m_wake.notify_one();
        return block;
    }

private:
    BlockReadier()
    {
        std::thread([this] { run(); }).detach();
    }

    // The kind with the smallest share of its kept number ready, when one
    // is short.
    bool shortest(std::size_t *kind) const
    {
        *kind = m_ready[0].size() * kKept[1] <= m_ready[1].size() * kKept[0] ? 0 : 1;
        return m_ready[*kind].size() < kKept[*kind];
    }

    void run()
    {
        for (;;) {
            std::size_t kind = 0;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this, &kind] { return shortest(&kind); });
            }
            char *block = cut(kind);
            if (!block)
                return; // no memory left: series map their own
            const std::lock_guard lock(m_mutex);
            m_ready[kind].push_back(block);
        }
    }

    // The next block of `kind`, cut from a huge page made ready for that
    // kind alone (the series unmap their blocks one by one: a huge page is
    // split then). Memory made present in huge pages costs a small part of
    // what the same in 4 KB pages does, above all on a virtual machine.
    char *cut(std::size_t kind)
    {
        HugePage &page = m_cutting[kind];
        if (page.next == page.end) {
            page.next = readyHugePage();
            if (!page.next)
                return nullptr;
            page.end = page.next + PageMemory::kHugePage;
        }
        char *block = page.next;
        page.next += kReadySizes[kind];
        return block;
    }

    static char *readyHugePage()
    {
        constexpr std::size_t bytes = PageMemory::kHugePage;
        static const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
        char *block = nullptr;
        try {
            block = static_cast<char *>(PageMemory::mapHuge(bytes));
        } catch (const std::bad_alloc &) {
            return nullptr;
        }
        // The kernel's zeroing of a piece at a time in one call (each call
        // holds the process's map, so pieces keep a mapping elsewhere from
        // waiting long; a huge page is made present whole by the first),
        // then a write of the zero already there to each page makes it
        // present for the program too (a virtual machine's host may map each
        // page only on the program's first write to it).
        for (std::size_t piece = 0; piece < bytes; piece += kReadyPiece) {
            const std::size_t pieceEnd = std::min(piece + kReadyPiece, bytes);
            ::madvise(block + piece, pieceEnd - piece, MADV_POPULATE_WRITE);
            for (std::size_t at = piece; at < pieceEnd; at += page)
                static_cast<volatile char *>(block)[at] = 0;
        }
        return block;
    }

    struct HugePage
    {
        char *next = nullptr;
        char *end = nullptr;
    };

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::array<std::vector<char *>, kReadySizes.size()> m_ready;
    std::array<HugePage, kReadySizes.size()> m_cutting; // the readying thread's own
};

int readyKind(std::size_t bytes)
{
    for (std::size_t kind = 0; kind < kReadySizes.size(); ++kind) {
        if (kReadySizes[kind] == bytes)
            return int(kind);
    }
    return -1;
}

} // namespace

namespace ReadyBlocks {

void prepare(std::size_t bytes)
{
    if (bytes == kBytes)
        BlockReadier::instance();
}

char *take(std::size_t bytes)
{
    const int kind = readyKind(bytes);
    return kind < 0 ? nullptr : BlockReadier::instance().take(std::size_t(kind));
}

std::size_t missed()
{
    return g_missed.load(std::memory_order_relaxed);
}

void *map(std::size_t bytes)
{
    char *block = take(bytes);
    return block ? block : PageMemory::map(bytes);
}

} // namespace ReadyBlocks
