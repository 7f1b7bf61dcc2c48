#pragma once

#include "core/plot/number_finder.h"
#include "core/plot/plot_series.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

class PaneSpill;

// A channel's plot: up to kMostSeries series of points, each named by the
// numbers found in its lines (NumberFinder); the numbers of any further
// series are counted, never kept. A series takes the unit of the first of
// its numbers that has one.
//
// Times never go down: a line whose time is before the last one's (the
// clock was set back) takes the last time, so every series stays in time
// order and each line's numbers keep their order.
//
// Once the points in memory pass the threshold, the oldest full blocks of
// all series go, in the order they filled, to one private file (PaneSpill,
// written in the background) until half the threshold is left in memory;
// each is read through the file's map once written. If the file cannot be
// made or written, the store says why once (takeFault) and keeps its
// points in memory from then on, until cleared. clear() frees every point
// and removes the file.
class PlotStore
{
public:
    static constexpr int kMostSeries = 32;
    static constexpr qsizetype kDefaultThreshold = qsizetype(256) << 20;
    static constexpr int kDefaultBlockShift = 20;

    explicit PlotStore(qsizetype threshold = kDefaultThreshold,
                       int blockShift = kDefaultBlockShift);
    ~PlotStore();
    PlotStore(const PlotStore &) = delete;
    PlotStore &operator=(const PlotStore &) = delete;

    // Adds the numbers of one line, which arrived at `ms` (ms since the
    // epoch). With `namesAsBefore`, the caller knows they have, place by
    // place, the names of the numbers of the last add(): no name is compared.
    void add(const QList<FoundNumber> &numbers, qint64 ms, bool namesAsBefore = false);
    // Takes in the file writes done since the last call.
    void catchUp();
    // Has blocks for points made ready ahead of need (ReadyBlocks), before
    // the first points come.
    void prepare() const;

    int seriesCount() const { return int(m_series.size()); }
    const PlotSeries &series(int i) const { return *m_series.at(i); }
    // The series of that name, or -1.
    int indexOf(QByteArrayView name) const;
    // Numbers, and names, of the series past kMostSeries, not kept.
    qint64 overflowCount() const { return m_overflowNumbers; }
    int overflowNames() const { return int(m_overflowNames.size()); }
    // The first and last time of any point; both kNoTime when empty.
    static constexpr qint64 kNoTime = std::numeric_limits<qint64>::min();
    qint64 firstTime() const { return m_firstTime; }
    qint64 lastTime() const { return m_lastTime; }
    qsizetype pointCount() const { return m_points; }

    // Empties the store, gives its memory back and removes the file.
    void clear();

    qsizetype memoryBytes() const;
    qsizetype threshold() const { return m_threshold; }
    // Takes effect at once for the blocks filled from now on.
    void setThreshold(qsizetype bytes) { m_threshold = std::max<qsizetype>(bytes, 1); }
    QString spillPath() const;
    qsizetype blocksInFile() const;
    // Waits for the file writes under way and takes them in.
    void finishWrites();
    // Why the file failed, once after it did; empty otherwise.
    QString takeFault();

private:
    struct FilledBlock
    {
        int series;
        qsizetype block;
    };

    struct LastPlace;
    // The series of `number` at `place` of its line, looked up (made when
    // new and room is left); false when its numbers are not kept.
    bool findPlace(const FoundNumber &number, LastPlace *place);
    void spillOldBlocks();
    void takeWritten();
    void fail(const QString &why);

    qsizetype m_threshold;
    int m_blockShift;
    std::vector<std::unique_ptr<PlotSeries>> m_series;
    QHash<QByteArray, int> m_index;
    // Where each number of the line before went: most lines name the same
    // series in the same order, so a comparison of names (with the series
    // at hand) takes the place of a lookup.
    struct LastPlace
    {
        const char *name = nullptr; // the series' own name
        qsizetype nameSize = -1;    // -1: none (a new place, or a number not kept)
        PlotSeries *series = nullptr;
        int index = -1;
        bool hasUnit = false;
    };
    std::vector<LastPlace> m_lastLine;
    QSet<QByteArray> m_overflowNames;
    qint64 m_overflowNumbers = 0;
    qint64 m_firstTime = kNoTime;
    qint64 m_lastTime = kNoTime;
    qsizetype m_points = 0;

    // Full blocks in the order they filled, from the first not yet queued.
    QList<FilledBlock> m_filled;
    qsizetype m_blocksInMemory = 0;
    // Handed to the file's writer, in order, from the first not yet taken in.
    QList<FilledBlock> m_queued;
    qsizetype m_writesTaken = 0;
    qint64 m_fileEnd = 0;
    std::unique_ptr<PaneSpill> m_spill;
    bool m_failed = false;
    QString m_fault;
};
