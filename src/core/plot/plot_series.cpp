#include "core/plot/plot_series.h"

#include "core/pane/page_memory.h"
#include "core/plot/ready_blocks.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

PlotSeries::PlotSeries(const QByteArray &name, const QByteArray &unit, int blockShift)
    : m_name(name)
    , m_unit(unit)
    , m_blockShift(std::max(blockShift, 12))
    , m_pointsPerBlock((qsizetype(1) << m_blockShift) / 12)
{}

PlotSeries::~PlotSeries()
{
    PageMemory::unmapAll(takeMemoryBlocks(), size_t(blockBytes()));
}

std::vector<void *> PlotSeries::takeMemoryBlocks()
{
    std::vector<void *> blocks(m_blocks.begin() + m_blocksInFile, m_blocks.end());
    m_blocks.clear();
    m_bases.clear();
    m_blocksInFile = 0;
    m_size = 0;
    m_fill = 0;
    m_populated = 0;
    m_lastBlock = nullptr;
    m_lastBase = 0;
    m_asideTimes.clear();
    m_levels.clear();
    m_open.clear();
    return blocks;
}

qsizetype PlotSeries::memoryBytes() const
{
    qsizetype bytes = (m_blocks.size() - m_blocksInFile) * blockBytes();
    for (const auto &level : m_levels)
        bytes += level.capacity() * qsizetype(sizeof(Node));
    return bytes;
}

double PlotSeries::valueAt(qsizetype i) const
{
    return values(i / m_pointsPerBlock)[i % m_pointsPerBlock];
}

qint64 PlotSeries::timeAt(qsizetype i) const
{
    const qsizetype block = i / m_pointsPerBlock;
    const quint32 offset = offsets(block)[i % m_pointsPerBlock];
    if (offset == kAside)
        return m_asideTimes.value(i);
    return m_bases.at(block) + offset;
}

double PlotSeries::lastValue() const
{
    return m_size > 0 ? valueAt(m_size - 1) : std::numeric_limits<double>::quiet_NaN();
}

qsizetype PlotSeries::lowerBound(qint64 ms) const
{
    // The block first: its base is its first point's time, so the point
    // lies in the block before the first whose base is not below `ms`.
    const qsizetype next = std::lower_bound(m_bases.begin(), m_bases.end(), ms) - m_bases.begin();
    if (next == 0)
        return 0;
    qsizetype low = (next - 1) * m_pointsPerBlock;
    qsizetype high = std::min(m_size, next * m_pointsPerBlock);
    return halvedLowerBound(ms, low, high);
}

bool PlotSeries::appendAny(qint64 ms, double value)
{
    const bool started = m_fill == m_pointsPerBlock || m_blocks.isEmpty();
    if (started)
        startBlock(ms);
    const qsizetype inBlock = m_fill++;
    if (inBlock == m_populated)
        populateAhead(m_lastBlock, inBlock);
    reinterpret_cast<double *>(m_lastBlock)[inBlock] = value;
    const qint64 offset = ms - m_lastBase;
    quint32 *times = reinterpret_cast<quint32 *>(m_lastBlock + 8 * m_pointsPerBlock);
    if (offset >= 0 && offset < qint64(kAside)) {
        times[inBlock] = quint32(offset);
    } else {
        times[inBlock] = kAside;
        m_asideTimes.insert(m_size, ms);
    }
    if ((++m_size & (kFan - 1)) == 0)
        addToPyramid();
    return started;
}

void PlotSeries::startBlock(qint64 ms)
{
    // A block made ready ahead has every page present already.
    char *block = ReadyBlocks::take(size_t(blockBytes()));
    m_populated = block ? m_pointsPerBlock : 0;
    if (!block)
        block = static_cast<char *>(PageMemory::map(size_t(blockBytes())));
    m_blocks.append(block);
    m_bases.append(ms);
    m_lastBlock = block;
    m_lastBase = ms;
    m_fill = 0;
}

void PlotSeries::populateAhead(char *block, qsizetype from)
{
    // One call to the kernel for the pages of the next points, rather than
    // a fault for each page as the points first reach it.
    static const quintptr page = quintptr(::sysconf(_SC_PAGESIZE));
    const qsizetype to = std::min(from + kPopulateAhead, m_pointsPerBlock);
    const auto populate = [](char *start, char *end) {
        const quintptr first = quintptr(start) & ~(page - 1);
        ::madvise(reinterpret_cast<void *>(first), size_t(quintptr(end) - first),
                  MADV_POPULATE_WRITE); // a kernel without it: faults as before
    };
    populate(block + 8 * from, block + 8 * to);
    char *times = block + 8 * m_pointsPerBlock;
    populate(times + 4 * from, times + 4 * to);
    m_populated = to;
}

void PlotSeries::lowAndHigh(const double *values, double *low, double *high)
{
    // Four chains of comparisons rather than one: each waits only on its own.
    // A nan compares false both ways: it is left out.
    double lows[4] = {values[0], values[1], values[2], values[3]};
    double highs[4] = {values[0], values[1], values[2], values[3]};
    for (int lane = 0; lane < 4; ++lane) {
        if (lows[lane] != lows[lane]) { // a nan starts no chain
            lows[lane] = std::numeric_limits<double>::infinity();
            highs[lane] = -std::numeric_limits<double>::infinity();
        }
    }
    for (qsizetype i = 4; i < kFan; i += 4) {
        for (int lane = 0; lane < 4; ++lane) {
            const double value = values[i + lane];
            lows[lane] = value < lows[lane] ? value : lows[lane];
            highs[lane] = value > highs[lane] ? value : highs[lane];
        }
    }
    *low = std::min(std::min(lows[0], lows[1]), std::min(lows[2], lows[3]));
    *high = std::max(std::max(highs[0], highs[1]), std::max(highs[2], highs[3]));
}

void PlotSeries::addToPyramid()
{
    // The node of the last kFan points, from the points themselves (still
    // in the cache), then up the levels whose open node it completes.
    double low;
    double high;
    if (m_fill >= kFan) {
        lowAndHigh(reinterpret_cast<const double *>(m_lastBlock) + m_fill - kFan, &low, &high);
    } else { // across two blocks
        PlotExtent points;
        takeValues(m_size - kFan, m_size, &points);
        low = points.low;
        high = points.high;
    }
    for (size_t level = 0;; ++level) {
        if (level == m_levels.size()) {
            m_levels.emplace_back();
            m_open.emplace_back();
        }
        m_levels[level].append({low, high});
        OpenNode &open = m_open[level];
        // A nan compares false both ways: it is left out.
        if (low < open.low)
            open.low = low;
        if (high > open.high)
            open.high = high;
        if (++open.count < kFan)
            return;
        low = open.low;
        high = open.high;
        open = OpenNode();
    }
}

PlotExtent PlotSeries::extent(qsizetype from, qsizetype to) const
{
    PlotExtent extent;
    from = std::max<qsizetype>(from, 0);
    to = std::min(to, m_size);
    if (from >= to)
        return extent;
    extent.count = to - from;
    extent.first = valueAt(from);
    extent.last = valueAt(to - 1);
    const auto take = [&extent](double low, double high) {
        // A nan compares false both ways: it is left out.
        if (low < extent.low)
            extent.low = low;
        if (high > extent.high)
            extent.high = high;
    };
    // Up the pyramid from both ends: the ragged edges of each level, then
    // the whole nodes between them one level up.
    constexpr qsizetype mask = kFan - 1;
    qsizetype low = std::min((from + mask) & ~mask, to);
    qsizetype high = std::max(to & ~mask, low);
    takeValues(from, low, &extent);
    takeValues(high, to, &extent);
    low >>= kFanShift;
    high >>= kFanShift;
    for (size_t level = 0; low < high && level < m_levels.size(); ++level) {
        const Nodes &nodes = m_levels[level];
        const bool top = level + 1 == m_levels.size();
        while (low < high && ((low & mask) != 0 || top)) {
            const Node &node = nodes[low++];
            take(node.low, node.high);
        }
        while (high > low && ((high & mask) != 0 || top)) {
            const Node &node = nodes[--high];
            take(node.low, node.high);
        }
        low >>= kFanShift;
        high >>= kFanShift;
    }
    return extent;
}

void PlotSeries::extents(qint64 t0, qint64 t1, qsizetype columns, PlotExtent *out) const
{
    if (columns <= 0)
        return;
    const double width = double(t1 - t0) / double(columns);
    qsizetype from = lowerBound(t0);
    qsizetype lastCount = 0;
    for (qsizetype column = 0; column < columns; ++column) {
        const qint64 end = column + 1 == columns ? t1 : t0 + qint64(width * double(column + 1));
        qsizetype to = from;
        if (to < m_size && timeAt(to) < end)
            to = lowerBoundAfter(end, from + 1, from + std::max<qsizetype>(lastCount, 1));
        out[column] = extent(from, to);
        lastCount = to - from;
        from = to;
    }
}

qsizetype PlotSeries::halvedLowerBound(qint64 ms, qsizetype low, qsizetype high) const
{
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        if (timeAt(mid) < ms)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

qsizetype PlotSeries::lowerBoundAfter(qint64 ms, qsizetype from, qsizetype guess) const
{
    // [low, high] holds the answer; steps that double from the guess narrow
    // it, then halving finds it.
    qsizetype low = from;
    qsizetype high = m_size;
    guess = std::clamp(guess, from, m_size);
    if (guess < m_size && timeAt(guess) >= ms) {
        high = guess;
        for (qsizetype step = 1; high - step > low; step *= 2) {
            if (timeAt(high - step) < ms) {
                low = high - step + 1;
                break;
            }
            high -= step;
        }
    } else {
        low = std::min(guess + 1, m_size);
        for (qsizetype step = 1; low + step - 1 < m_size; step *= 2) {
            if (timeAt(low + step - 1) >= ms) {
                high = low + step - 1;
                break;
            }
            low += step;
        }
    }
    return halvedLowerBound(ms, low, high);
}

void PlotSeries::takeValues(qsizetype from, qsizetype to, PlotExtent *extent) const
{
    while (from < to) {
        const qsizetype offset = from % m_pointsPerBlock;
        const qsizetype count = std::min(to - from, m_pointsPerBlock - offset);
        const double *value = values(from / m_pointsPerBlock) + offset;
        for (const double *end = value + count; value < end; ++value) {
            // A nan compares false both ways: it is left out.
            if (*value < extent->low)
                extent->low = *value;
            if (*value > extent->high)
                extent->high = *value;
        }
        from += count;
    }
}

void PlotSeries::moveBlockToFile(qsizetype i, const char *mapped)
{
    Q_ASSERT(i == m_blocksInFile && i + 1 < m_blocks.size()); // never the block filling
    PageMemory::unmapAll({m_blocks.at(i)}, size_t(blockBytes()));
    m_blocks[i] = const_cast<char *>(mapped);
    ++m_blocksInFile;
}
