#include "core/plot/plot_store.h"

#include "core/pane/page_memory.h"
#include "core/pane/pane_spill.h"
#include "core/plot/ready_blocks.h"

#include <algorithm>

namespace {

// Names the program never keeps more of: a peer sending a new name a line
// cannot make the count of names grow without bound.
constexpr qsizetype kMostOverflowNames = 1000;

// An inline comparison: names are short, and most are the same.
bool isSamePlotName(const char *name, qsizetype size, QByteArrayView other)
{
    if (size != other.size())
        return false;
    const char *b = other.data();
    for (qsizetype i = 0; i < size; ++i) {
        if (name[i] != b[i])
            return false;
    }
    return true;
}

} // namespace

PlotStore::PlotStore(qsizetype threshold, int blockShift)
    : m_threshold(std::max<qsizetype>(threshold, 1))
    , m_blockShift(blockShift)
{}

PlotStore::~PlotStore()
{
    clear();
}

int PlotStore::indexOf(QByteArrayView name) const
{
    return m_index.value(name.toByteArray(), -1);
}

void PlotStore::add(const QList<FoundNumber> &numbers, qint64 ms, bool namesAsBefore)
{
    if (numbers.isEmpty())
        return;
    if (m_lastTime != kNoTime && ms < m_lastTime)
        ms = m_lastTime;
    if (m_firstTime == kNoTime)
        m_firstTime = ms;
    m_lastTime = ms;
    bool startedBlock = false;
    if (m_lastLine.size() < size_t(numbers.size()))
        m_lastLine.resize(size_t(numbers.size()));
    const FoundNumber *number = numbers.constData();
    LastPlace *place = m_lastLine.data();
    for (const FoundNumber *end = number + numbers.size(); number < end; ++number, ++place) {
        // A place with no series: its number was not kept, or the store was
        // cleared since.
        const bool known = namesAsBefore
                               ? place->series != nullptr
                               : isSamePlotName(place->name, place->nameSize, number->name);
        if (!known && !findPlace(*number, place))
            continue;
        PlotSeries &series = *place->series;
        if (!place->hasUnit && !number->unit.isEmpty()) {
            if (series.unit().isEmpty())
                series.setUnit(number->unit.toByteArray());
            place->hasUnit = true;
        }
        if (series.append(ms, number->value)) {
            startedBlock = true;
            ++m_blocksInMemory;
            if (series.blockCount() > 1)
                m_filled.append({place->index, series.blockCount() - 2});
        }
        ++m_points;
    }
    if (startedBlock)
        spillOldBlocks();
}

bool PlotStore::findPlace(const FoundNumber &number, LastPlace *place)
{
    int index = -1;
    if (auto found =
            m_index.constFind(QByteArray::fromRawData(number.name.data(), number.name.size()));
        found != m_index.constEnd()) {
        index = *found;
    } else if (m_series.size() < size_t(kMostSeries)) {
        index = int(m_series.size());
        m_series.push_back(std::make_unique<PlotSeries>(number.name.toByteArray(),
                                                        number.unit.toByteArray(), m_blockShift));
        m_index.insert(number.name.toByteArray(), index);
    } else {
        ++m_overflowNumbers;
        if (m_overflowNames.size() < kMostOverflowNames)
            m_overflowNames.insert(number.name.toByteArray());
        *place = LastPlace();
        return false;
    }
    PlotSeries *series = m_series[size_t(index)].get();
    *place = {series->name().constData(), series->name().size(), series, index,
              !series->unit().isEmpty()};
    return true;
}

void PlotStore::prepare() const
{
    ReadyBlocks::prepare(size_t(1) << std::max(m_blockShift, 12));
}

void PlotStore::catchUp()
{
    if (!m_queued.isEmpty())
        takeWritten();
}

void PlotStore::spillOldBlocks()
{
    takeWritten();
    if (m_failed)
        return;
    const qsizetype blockBytes = qsizetype(1) << std::max(m_blockShift, 12);
    if (m_blocksInMemory * blockBytes <= m_threshold)
        return;
    const qsizetype keep = m_threshold / 2;
    qsizetype held = (m_blocksInMemory - m_queued.size()) * blockBytes;
    while (held > keep && !m_filled.isEmpty()) {
        if (!m_spill)
            m_spill = PaneSpill::create();
        const FilledBlock filled = m_filled.takeFirst();
        const PlotSeries &series = *m_series[size_t(filled.series)];
        m_spill->queueWrite(m_fileEnd, series.block(filled.block), blockBytes);
        m_fileEnd += blockBytes;
        m_queued.append(filled);
        held -= blockBytes;
    }
}

void PlotStore::takeWritten()
{
    if (!m_spill || m_failed)
        return;
    QString error;
    const qsizetype done = m_spill->writesDone(&error);
    const qsizetype blockBytes = qsizetype(1) << std::max(m_blockShift, 12);
    while (m_writesTaken < done && !m_queued.isEmpty()) {
        const FilledBlock written = m_queued.first();
        const char *mapped = m_spill->map(qint64(m_writesTaken) * blockBytes, &error);
        if (!mapped)
            break;
        m_series[size_t(written.series)]->moveBlockToFile(written.block, mapped);
        m_queued.removeFirst();
        ++m_writesTaken;
        --m_blocksInMemory;
    }
    if (!error.isEmpty())
        fail(m_spill->failureText(error));
}

void PlotStore::fail(const QString &why)
{
    // The blocks not yet written stay where they are: nothing is lost.
    m_failed = true;
    m_fault = why;
    m_queued.clear();
    m_filled.clear();
}

void PlotStore::finishWrites()
{
    if (!m_spill || m_failed)
        return;
    m_spill->waitForWrites(m_writesTaken + m_queued.size());
    takeWritten();
}

QString PlotStore::takeFault()
{
    return std::exchange(m_fault, QString());
}

QString PlotStore::spillPath() const
{
    return m_spill ? m_spill->path() : QString();
}

qsizetype PlotStore::blocksInFile() const
{
    qsizetype count = 0;
    for (const auto &series : m_series)
        count += series->blocksInFile();
    return count;
}

qsizetype PlotStore::memoryBytes() const
{
    qsizetype bytes = 0;
    for (const auto &series : m_series)
        bytes += series->memoryBytes();
    return bytes;
}

void PlotStore::clear()
{
    std::vector<void *> blocks;
    for (const auto &series : m_series) {
        const std::vector<void *> own = series->takeMemoryBlocks();
        blocks.insert(blocks.end(), own.begin(), own.end());
    }
    const size_t blockBytes = size_t(1) << std::max(m_blockShift, 12);
    if (m_spill) {
        // The writer stops before the blocks it reads go.
        PaneSpill::endInBackground(
            std::move(m_spill), [blocks, blockBytes] { PageMemory::unmapAll(blocks, blockBytes); });
    } else {
        PageMemory::unmapAll(blocks, blockBytes);
    }
    m_series.clear();
    m_index.clear();
    m_lastLine.clear();
    m_overflowNames.clear();
    m_overflowNumbers = 0;
    m_firstTime = m_lastTime = kNoTime;
    m_points = 0;
    m_filled.clear();
    m_queued.clear();
    m_blocksInMemory = 0;
    m_writesTaken = 0;
    m_fileEnd = 0;
    m_failed = false;
    m_fault.clear();
}
