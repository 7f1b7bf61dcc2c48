#pragma once

#include "core/pane/chunked_list.h"
#include "core/plot/ready_blocks.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QtGlobal>

#include <limits>
#include <vector>

// The extent of a series' points over a span: how many, the lowest and
// highest (nan points left out: a span of nan points only has low > high),
// and the first and last values, so a plot joins neighbouring spans.
struct PlotExtent
{
    qsizetype count = 0;
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    double first = 0;
    double last = 0;

    bool hasValue() const { return low <= high; }
};

// One series of a plot: its points in time order, each a value (8 bytes)
// and a time (4 bytes from its block's base time, in ms), in blocks of
// 2^blockShift bytes of mapped memory. Beside them a pyramid of the lowest
// and highest value of each 16 points, of each 16 of those, and so on
// (about 1.1 bytes a point), so the extent of any span of points takes
// O(16 log16 n) reads, and the extents of N columns of a plot O(N log n).
//
// Blocks are filled in order; a full block may go to a file (its owner,
// PlotStore, writes it and hands back the file's read-only map, see
// moveBlockToFile); the series reads either alike. A time more than 49 days
// from its block's base is kept aside in full.
class PlotSeries
{
public:
    PlotSeries(const QByteArray &name, const QByteArray &unit, int blockShift);
    ~PlotSeries();
    PlotSeries(const PlotSeries &) = delete;
    PlotSeries &operator=(const PlotSeries &) = delete;

    const QByteArray &name() const { return m_name; }
    const QByteArray &unit() const { return m_unit; }
    void setUnit(const QByteArray &unit) { m_unit = unit; }

    qsizetype size() const { return m_size; }
    double valueAt(qsizetype i) const;
    qint64 timeAt(qsizetype i) const;
    // The first point whose time is at least `ms`, or size().
    qsizetype lowerBound(qint64 ms) const;
    // The latest value; nan when there is none.
    double lastValue() const;

    // Adds a point; times must not go down. True when it started a block.
    bool append(qint64 ms, double value)
    {
        // Most points: room on present pages of the last block, a time near
        // its base, no node of the pyramid completed.
        const qint64 offset = ms - m_lastBase;
        if (m_fill < m_populated && quint64(offset) < quint64(kAside) &&
            ((m_size + 1) & (kFan - 1)) != 0) {
            reinterpret_cast<double *>(m_lastBlock)[m_fill] = value;
            reinterpret_cast<quint32 *>(m_lastBlock + 8 * m_pointsPerBlock)[m_fill] =
                quint32(offset);
            ++m_fill;
            ++m_size;
            return false;
        }
        return appendAny(ms, value);
    }

    PlotExtent extent(qsizetype from, qsizetype to) const;
    // The extents of `columns` equal spans of time [t0, t1), into `out`.
    void extents(qint64 t0, qint64 t1, qsizetype columns, PlotExtent *out) const;

    qsizetype pointsPerBlock() const { return m_pointsPerBlock; }
    qsizetype blockBytes() const { return qsizetype(1) << m_blockShift; }
    qsizetype blockCount() const { return m_blocks.size(); }
    const char *block(qsizetype i) const { return m_blocks.at(i); }
    // Block `i`, written to a file, is read from `mapped` from now on; its
    // memory goes. Blocks move in order.
    void moveBlockToFile(qsizetype i, const char *mapped);
    qsizetype blocksInFile() const { return m_blocksInFile; }
    // Hands over the blocks still in memory (the caller frees them) and
    // forgets every point.
    std::vector<void *> takeMemoryBlocks();
    // The memory held for the points in memory and the pyramid.
    qsizetype memoryBytes() const;

private:
    static constexpr int kFanShift = 4;
    static constexpr qsizetype kFan = qsizetype(1) << kFanShift;
    static constexpr quint32 kAside = std::numeric_limits<quint32>::max();
    static constexpr qsizetype kPopulateAhead = 8192;

    struct Node
    {
        double low;
        double high;
    };
    struct OpenNode
    {
        double low = std::numeric_limits<double>::infinity();
        double high = -std::numeric_limits<double>::infinity();
        qsizetype count = 0;
    };

    const double *values(qsizetype block) const
    {
        return reinterpret_cast<const double *>(m_blocks.at(block));
    }
    const quint32 *offsets(qsizetype block) const
    {
        return reinterpret_cast<const quint32 *>(m_blocks.at(block) + 8 * m_pointsPerBlock);
    }
    bool appendAny(qint64 ms, double value);
    void startBlock(qint64 ms);
    // Adds the node of the last kFan points to the pyramid.
    void addToPyramid();
    // The lowest and highest of kFan values (nan left out: both infinite
    // the wrong way round when all are nan).
    static void lowAndHigh(const double *values, double *low, double *high);
    // Makes the pages of the points [from, from + kPopulateAhead) of the
    // last block present.
    void populateAhead(char *block, qsizetype from);
    // The first point from `from` on whose time is at least `ms`, all before
    // `from` being earlier; `guess` is where it likely is.
    qsizetype lowerBoundAfter(qint64 ms, qsizetype from, qsizetype guess) const;
    // The first point in [low, high) whose time is not below `ms`, by halving.
    qsizetype halvedLowerBound(qint64 ms, qsizetype low, qsizetype high) const;
    // Widens `extent` to the values of points [from, to).
    void takeValues(qsizetype from, qsizetype to, PlotExtent *extent) const;

    QByteArray m_name;
    QByteArray m_unit;
    int m_blockShift;
    qsizetype m_pointsPerBlock;
    qsizetype m_size = 0;
    qsizetype m_fill = 0;      // points in the last block
    qsizetype m_populated = 0; // of those, the points whose pages are present
    char *m_lastBlock = nullptr;
    qint64 m_lastBase = 0;
    QList<char *> m_blocks;
    QList<qint64> m_bases;
    qsizetype m_blocksInFile = 0;
    QHash<qsizetype, qint64> m_asideTimes;
    using Nodes = ChunkedList<Node, 12, ReadyBlocks::map>;
    static_assert(sizeof(Node) << 12 == ReadyBlocks::kNodeBytes);
    std::vector<Nodes> m_levels;  // level L: a node per 16^(L+1) points
    std::vector<OpenNode> m_open; // the node of level L + 1 being filled from level L
};
