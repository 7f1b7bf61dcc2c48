#include "fresh_memory.h"

#include "core/pane/page_memory.h"

#include <chrono>
#include <thread>
#include <vector>

#include <sys/mman.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBlock = PageMemory::kHugePage;

// Maps `count` blocks and makes each present as a pane does its blocks;
// returns the milliseconds it took and leaves the blocks in `blocks`.
double makePresent(std::vector<void *> &blocks, qsizetype count)
{
    const auto start = Clock::now();
    for (qsizetype i = 0; i < count; ++i) {
        void *block = PageMemory::mapHuge(kBlock);
        ::madvise(block, kBlock, MADV_POPULATE_WRITE);
        blocks.push_back(block);
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void giveBack(std::vector<void *> &blocks)
{
    for (void *block : blocks)
        ::munmap(block, kBlock);
    blocks.clear();
}

} // namespace

void warmNewMemory(qsizetype bytes)
{
    std::vector<void *> blocks;
    makePresent(blocks, std::max<qsizetype>(1, bytes / qsizetype(kBlock)));
    giveBack(blocks);
}

void freshMemoryRow(BenchTable &table, qsizetype bytes)
{
    constexpr int kPauseSeconds = 3;
    const qsizetype count = std::max<qsizetype>(1, bytes / qsizetype(kBlock));
    std::vector<void *> blocks;
    const double first = makePresent(blocks, count);
    giveBack(blocks);
    const double atOnce = makePresent(blocks, count);
    giveBack(blocks);
    std::this_thread::sleep_for(std::chrono::seconds(kPauseSeconds));
    const double later = makePresent(blocks, count);
    giveBack(blocks);
    table.row(QStringLiteral("machine: %1 MB of new memory made present in 2 MB blocks, as a "
                             "pane's text takes it")
                  .arg(count * qsizetype(kBlock) >> 20),
              QStringLiteral("first %1 ms; again at once after giving it back %2 ms; again %3 s "
                             "after giving it back %4 ms")
                  .arg(first, 0, 'f', 1)
                  .arg(atOnce, 0, 'f', 1)
                  .arg(kPauseSeconds)
                  .arg(later, 0, 'f', 1),
              QString());
}
