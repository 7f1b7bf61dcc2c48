#include "core/pane/page_memory.h"

#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace {

// Each unmapping costs the kernel a split of the process's map and a flush
// of every core's address cache (on a virtual machine, an interrupt of the
// window's thread), whatever its size: a few small ones are done at once,
// the rest go to the unmapping thread, which joins neighbours.
constexpr std::size_t kUnmapAtOnce = 4;
// How long the thread lets a clear's lists gather, for fewer, larger calls.
constexpr auto kGather = std::chrono::milliseconds(2);
// The most one call unmaps: the kernel holds the process's map for the
// call, and a thread of the window that maps memory meanwhile waits.
constexpr std::size_t kMostPerCall = std::size_t(4) << 20;

struct Range
{
    char *start;
    std::size_t bytes;
};

std::size_t pageRounded(std::size_t bytes)
{
    static const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) & ~(page - 1);
}

void unmapEach(const std::vector<void *> &mappings, std::size_t bytes)
{
    for (void *pages : mappings)
        ::munmap(pages, bytes);
}

// Unmaps every range, neighbours (mappings made one after another usually
// are) together, kMostPerCall at a time.
void unmapJoined(std::vector<Range> ranges)
{
    std::sort(ranges.begin(), ranges.end(),
              [](const Range &a, const Range &b) { return a.start < b.start; });
    for (std::size_t i = 0; i < ranges.size();) {
        Range joined = ranges[i++];
        while (i < ranges.size() && ranges[i].start == joined.start + joined.bytes)
            joined.bytes += ranges[i++].bytes;
        for (std::size_t done = 0; done < joined.bytes; done += kMostPerCall)
            ::munmap(joined.start + done, std::min(kMostPerCall, joined.bytes - done));
    }
}

// One thread for all big unmappings, started when first needed: a clear
// queues its mappings and goes on, and starts no thread of its own (making
// one takes the same lock of the process's map that unmapping does).
class Unmapper
{
public:
    static Unmapper &instance()
    {
        // Never destroyed: the thread may still be unmapping at exit.
        static Unmapper *unmapper = new Unmapper;
        return *unmapper;
    }

    void queue(const std::vector<void *> &mappings, std::size_t bytes)
    {
        {
            const std::lock_guard lock(m_mutex);
            const std::size_t rounded = pageRounded(bytes);
            for (void *pages : mappings)
                m_ranges.push_back({static_cast<char *>(pages), rounded});
        }
        m_wake.notify_one();
    }

private:
    Unmapper()
    {
        std::thread([this] { run(); }).detach();
    }

    void run()
    {
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return !m_ranges.empty(); });
            }
            std::this_thread::sleep_for(kGather);
            std::vector<Range> ranges;
            {
                const std::lock_guard lock(m_mutex);
                ranges.swap(m_ranges);
            }
            unmapJoined(std::move(ranges));
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Range> m_ranges;
};

} // namespace

namespace PageMemory {

namespace {

void *mapWith(std::size_t bytes, int flags)
{
    void *pages =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | flags, -1, 0);
    if (pages == MAP_FAILED)
        qBadAlloc();
    return pages;
}

} // namespace

void *map(std::size_t bytes)
{
    return mapWith(bytes, 0);
}

void *mapPresent(std::size_t bytes)
{
    return mapWith(bytes, MAP_POPULATE);
}

void *mapHuge(std::size_t bytes)
{
    // Mapped a huge page larger, then trimmed to the bounds.
    char *mapping = static_cast<char *>(mapWith(bytes + kHugePage, 0));
    char *pages =
        reinterpret_cast<char *>((reinterpret_cast<std::uintptr_t>(mapping) + kHugePage - 1) &
                                 ~std::uintptr_t(kHugePage - 1));
    if (pages > mapping)
        ::munmap(mapping, std::size_t(pages - mapping));
    if (const std::size_t tail = std::size_t(mapping + bytes + kHugePage - (pages + bytes));
        tail > 0)
        ::munmap(pages + bytes, tail);
    ::madvise(pages, bytes, MADV_HUGEPAGE);
    return pages;
}

void unmapAll(std::vector<void *> all, std::size_t bytes)
{
    if (all.size() <= kUnmapAtOnce && bytes <= kMostPerCall)
        unmapEach(all, bytes);
    else
        Unmapper::instance().queue(all, bytes);
}

} // namespace PageMemory
