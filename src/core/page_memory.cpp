#include "core/page_memory.h"

#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <sys/mman.h>
#include <thread>
#include <utility>

namespace {

// Each unmapping costs the kernel a split of the process's map and a flush
// of every core's address cache, whatever its size: a few are done at once,
// more go to the unmapping thread.
constexpr std::size_t kUnmapAtOnce = 4;

void unmapEach(const std::vector<void *> &mappings, std::size_t bytes)
{
    for (void *pages : mappings)
        ::munmap(pages, bytes);
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

    void queue(std::vector<void *> mappings, std::size_t bytes)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_jobs.emplace_back(std::move(mappings), bytes);
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
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_jobs.empty(); });
            auto [mappings, bytes] = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            unmapEach(mappings, bytes);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<std::vector<void *>, std::size_t>> m_jobs;
};

} // namespace

namespace PageMemory {

void *map(std::size_t bytes)
{
    void *pages =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        qBadAlloc();
    return pages;
}

void unmapAll(std::vector<void *> all, std::size_t bytes)
{
    if (all.size() > kUnmapAtOnce)
        Unmapper::instance().queue(std::move(all), bytes);
    else
        unmapEach(all, bytes);
}

} // namespace PageMemory
