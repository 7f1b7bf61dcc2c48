#include "core/pane/pane_text.h"

#include "core/arrival_clock.h"

#include <QIODevice>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

qsizetype &defaultThreshold()
{
    static qsizetype threshold = PaneStore::kDefaultThreshold;
    return threshold;
}

qsizetype &defaultMemoryCap()
{
    static qsizetype cap = PaneStore::kDefaultMemoryCap;
    return cap;
}

} // namespace

PaneText::PaneText(QObject *parent)
    : QObject(parent)
    , m_store(defaultThreshold())
{
    m_store.setMemoryCap(defaultMemoryCap());
}

void PaneText::setDefaultMemoryCap(qsizetype bytes)
{
    defaultMemoryCap() = bytes;
}

PaneText::~PaneText() = default;

void PaneText::setDefaultSpillThreshold(qsizetype bytes)
{
    defaultThreshold() = bytes;
}

qsizetype PaneText::defaultSpillThreshold()
{
    return defaultThreshold();
}

void PaneText::timeNewLines(qint64 arrivalMs)
{
    // Every line but the last has its first byte (at least its break); the
    // last has one once it starts before the end.
    const qsizetype last = m_lines.lineCount() - 1;
    const qsizetype begun = m_lines.lineStart(m_store, last) < m_store.size() ? last + 1 : last;
    if (begun <= m_times.size())
        return;
    m_times.extendTo(begun, arrivalMs == kNow ? ArrivalClock::wallMs() : arrivalMs);
}

void PaneText::append(QByteArrayView piece, qint64 arrivalMs)
{
    appendText(piece, arrivalMs, false);
}

void PaneText::appendLines(QByteArrayView piece, std::span<const qsizetype> lineStarts,
                           qint64 arrivalMs)
{
    appendText(piece, arrivalMs, false, &lineStarts);
}

void PaneText::setHistoryBound(qsizetype bytes)
{
    m_historyBound = std::max<qsizetype>(0, bytes);
}

void PaneText::appendEcho(QByteArrayView piece)
{
    appendText(piece, kNow, true);
}

void PaneText::appendText(QByteArrayView piece, qint64 arrivalMs, bool echo,
                          const std::span<const qsizetype> *lineStarts)
{
    if (piece.size() > m_store.room()) {
        lineStarts = nullptr; // they are of the whole piece
        // Turning text away may try a new file, or find the one tried failed.
        m_store.refused(piece.size() - m_store.room());
        takeSpillFault();
        const qsizetype take = std::min(piece.size(), m_store.room());
        m_notShown += piece.size() - take;
        piece = piece.first(take);
    }
    if (piece.isEmpty())
        return;
    const qsizetype from = m_store.size();
    m_store.append(piece);
    if (echo)
        m_echo.add(from, m_store.size());
    takeAppended(from, arrivalMs, lineStarts);
}

char *PaneText::placeForAppend(qsizetype size)
{
    return size <= m_store.room() ? m_store.tailSpace(size) : nullptr;
}

void PaneText::appendPlaced(qsizetype size, std::span<const qsizetype> lineStarts, qint64 arrivalMs)
{
    if (size == 0)
        return;
    const qsizetype from = m_store.size();
    m_store.appendWritten(size);
    takeAppended(from, arrivalMs, &lineStarts);
}

void PaneText::takeAppended(qsizetype from, qint64 arrivalMs,
                            const std::span<const qsizetype> *lineStarts)
{
    if (lineStarts && m_lines.rule() == LineBreaks::Any)
        m_lines.indexKnown(m_store, from, *lineStarts);
    else
        m_lines.index(m_store, from);
    timeNewLines(arrivalMs);
    emit appended(from);
    takeSpillFault();
    // Trimmed in one go past twice the bound: each byte is copied about once.
    if (m_historyBound > 0 && size() > 2 * m_historyBound)
        setText(copy(size() - m_historyBound));
}

void PaneText::takeSpillFault()
{
    const QString fault = m_store.takeFault();
    if (fault.isEmpty())
        return;
    const qsizetype cut = m_store.frontToDrop();
    if (cut == 0) {
        m_store.giveBackFile(); // every position stays where it is
    } else {
        const std::vector<TimeFrom> changes = timeChanges();
        m_store.giveBackFile();
        m_echo.dropFront(cut);
        m_styles.dropFront(cut);
        m_lines.clear();
        m_lines.index(m_store, 0);
        m_times.clear();
        retimeLines(changes, cut);
        emit reset();
    }
    if (!std::exchange(m_spillFaultTold, true))
        emit spillFailed(fault);
}

void PaneText::setLineBreaks(LineBreaks rule)
{
    if (rule == m_lines.rule())
        return;
    // The times follow the bytes: a line of the new split takes the time of
    // the line its first byte was in.
    const std::vector<TimeFrom> changes = timeChanges();
    m_lines.clear();
    m_lines.setRule(rule);
    m_lines.index(m_store, 0);
    m_times.clear();
    retimeLines(changes, 0);
    emit reset();
}

std::vector<PaneText::TimeFrom> PaneText::timeChanges() const
{
    // Lines of one batch share a time, so only the changes are kept.
    std::vector<TimeFrom> changes;
    for (qsizetype line = 0; line < m_times.size(); ++line) {
        const qint64 ms = m_times.at(line);
        if (changes.empty() || changes.back().ms != ms)
            changes.push_back({lineStart(line), ms});
    }
    return changes;
}

void PaneText::retimeLines(const std::vector<TimeFrom> &changes, qsizetype shift)
{
    size_t change = 0;
    for (qsizetype line = 0; line < m_lines.lineCount() && !changes.empty(); ++line) {
        const qsizetype start = lineStart(line);
        if (line == m_lines.lineCount() - 1 && start == m_store.size())
            break; // the last line has no byte yet
        while (change + 1 < changes.size() && changes[change + 1].at - shift <= start)
            ++change;
        m_times.append(changes[change].ms);
    }
}

void PaneText::setText(QByteArrayView text)
{
    m_store.clear();
    m_lines.clear();
    m_echo.clear();
    m_styles.clear();
    m_times.clear();
    m_notShown = 0;
    m_spillFaultTold = false;
    m_store.append(text);
    m_lines.index(m_store, 0);
    if (!text.isEmpty())
        timeNewLines(kNow);
    emit reset();
    takeSpillFault();
}

void PaneText::finishSpilling()
{
    m_store.finishWrites();
    takeSpillFault();
}

bool PaneText::forEachChunk(qsizetype pos, qsizetype length,
                            const std::function<bool(QByteArrayView)> &visit) const
{
    pos = std::clamp<qsizetype>(pos, 0, size());
    const qsizetype end = length < 0 ? size() : std::min(size(), pos + length);
    while (pos < end) {
        const QByteArrayView chunk = m_store.chunkAt(pos);
        const qsizetype take = std::min(chunk.size(), end - pos);
        const bool more = visit(chunk.first(take));
        m_store.releaseRead(pos, take);
        if (!more)
            return false;
        pos += take;
    }
    return true;
}

QByteArray PaneText::copy(qsizetype pos, qsizetype length) const
{
    pos = std::clamp<qsizetype>(pos, 0, size());
    const qsizetype end = length < 0 ? size() : std::min(size(), pos + length);
    QByteArray out;
    out.reserve(end - pos);
    forEachChunk(pos, end - pos, [&out](QByteArrayView chunk) {
        out.append(chunk);
        return true;
    });
    return out;
}

bool PaneText::writeTo(QIODevice &device, qsizetype pos, qsizetype length) const
{
    return forEachChunk(pos, length, [&device](QByteArrayView chunk) {
        return device.write(chunk.data(), chunk.size()) == chunk.size();
    });
}

qsizetype PaneText::indexOf(char c, qsizetype from, qsizetype to) const
{
    return m_store.indexOf(c, from, to);
}

qsizetype PaneText::findLineBreak(qsizetype from, qsizetype to) const
{
    return m_lines.findBreak(m_store, from, to);
}

#include "moc_pane_text.cpp"
