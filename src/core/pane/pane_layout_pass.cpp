// Wrapping again, in steps, the lines wider than the pane after its width
// changed.
#include "core/pane/pane_layout.h"

#include "core/pane/pane_text.h"

#include <algorithm>

namespace {

// Rows or lines between looks at the deadline.
constexpr qint64 kSlice = 256;
// Lines of at most this many cells (so bytes) are read to find their end.
constexpr qint64 kShortLine = 4096;

// Bytes between two stretches read that still make them one.
constexpr qsizetype kNearby = 64 * 1024;

// Gathers the stretches of text a pass read, to drop what came from the
// spill file from memory in few calls.
class ReadPages
{
public:
    explicit ReadPages(const PaneText &text)
        : m_text(text)
    {}
    ~ReadPages() { release(); }
    void add(qsizetype from, qsizetype to)
    {
        // Lines read one after another leave their line breaks out: a gap
        // that small still counts as one stretch.
        if (from > m_to + kNearby || to < m_from - kNearby) {
            release();
            m_from = from;
            m_to = to;
        }
        m_from = std::min(m_from, from);
        m_to = std::max(m_to, to);
    }

private:
    void release()
    {
        if (m_to > m_from)
            m_text.releaseReadPages(m_from, m_to - m_from);
        m_from = m_to = 0;
    }

    const PaneText &m_text;
    qsizetype m_from = 0;
    qsizetype m_to = 0;
};

} // namespace

bool PaneLayout::isWaiting(qsizetype line) const
{
    const quint8 count = m_cells[line];
    if (count != kLong && count <= m_columns)
        return false;
    const quint8 rows = m_rows.at(line);
    if (rows == 0)
        return lineCells(line) > m_columns;
    return rows == kManyRows && !m_wraps.at(line).done;
}

bool PaneLayout::wrapPending(const PaneText &text, qsizetype firstLine, qsizetype lastLine,
                             QDeadlineTimer deadline)
{
    if (!isWrapping())
        return false;
    ReadPages read(text);
    const qsizetype last = m_cells.size() - 1;
    qint64 work = 0;
    // Looks at the clock once a slice of work.
    const auto timeUp = [&work, &deadline](qint64 done) {
        work += done;
        if (work < kSlice)
            return false;
        work = 0;
        return deadline.hasExpired();
    };
    const auto wrapTailOn = [&] {
        const qsizetype from = m_tail.at.pos;
        const qint64 before = rowsOfLine(last);
        wrapOn(text, m_tail, m_scan.pos, m_scan.hasTab, kSlice);
        addRows(last, rowsOfLine(last) - before);
        read.add(from, m_tail.at.pos);
    };

    // The lines shown first.
    firstLine = std::clamp<qsizetype>(firstLine, 0, last);
    lastLine = std::clamp<qsizetype>(lastLine, firstLine, last);
    bool stopped = false;
    qsizetype start = -1;
    for (qsizetype line = firstLine; line <= lastLine && !stopped; ++line) {
        if (line == last) {
            while (!m_tail.done && !stopped) {
                wrapTailOn();
                stopped = timeUp(kSlice);
            }
            break;
        }
        if (!isWaiting(line))
            start = -1;
        while (isWaiting(line) && !stopped) {
            qsizetype from = 0;
            qsizetype to = 0;
            stopped = timeUp(wrapLine(text, line, &start, kSlice, &from, &to) + 1);
            read.add(from, to);
        }
    }
    // Then the others, in order from where the pass stopped last time.
    qsizetype skipped = 0;
    while (m_waitingLines > 0 && !stopped) {
        if (m_passLine >= last) {
            m_passLine = 0;
            m_passStart = -1;
        }
        if (!isWaiting(m_passLine)) {
            ++m_passLine;
            m_passStart = -1;
            ++skipped;
            Q_ASSERT(skipped <= 2 * last);
            stopped = timeUp(1);
            continue;
        }
        skipped = 0;
        qsizetype from = 0;
        qsizetype to = 0;
        const qint64 found = wrapLine(text, m_passLine, &m_passStart, kSlice, &from, &to);
        read.add(from, to);
        if (!isWaiting(m_passLine))
            ++m_passLine;
        stopped = timeUp(found + 1);
    }
    // The last line last.
    while (!m_tail.done && !stopped) {
        wrapTailOn();
        stopped = timeUp(kSlice);
    }
    applyRowChanges();
    return isWrapping();
}

qint64 PaneLayout::wrapLine(const PaneText &text, qsizetype line, qsizetype *start, qint64 budget,
                            qsizetype *readFrom, qsizetype *readTo)
{
    const qint64 before = rowsOfLine(line);
    const qint64 cells = lineCells(line);
    if (*start < 0)
        *start = text.lineStart(line);
    const qsizetype end =
        cells <= kShortLine ? text.findLineBreak(*start, text.size()) : text.lineEnd(line);
    const bool tabs = lineHasTabs(line, *start, end);

    Wrap fresh;
    fresh.at = RowWrap::cursorAt(*start, 0);
    const bool kept = m_rows.at(line) == kManyRows;
    Wrap &wrap = kept ? m_wraps.at(line) : fresh;
    const qint64 rowsBefore = wrap.rows;
    *readFrom = cells <= kShortLine ? *start : wrap.at.pos;
    wrapOn(text, wrap, end, tabs, budget);
    *readTo = wrap.done ? end : wrap.at.pos;
    const qint64 found = wrap.rows - rowsBefore;

    if (wrap.done) {
        --m_waitingLines;
        if (wrap.rows + 1 < kManyRows) {
            m_rows.set(line, quint8(wrap.rows + 1));
            if (kept)
                m_wraps.erase(line);
        } else if (!kept) {
            m_rows.set(line, kManyRows);
            m_wraps.emplace(line, std::move(fresh));
        }
        *start = end < text.size() ? text.afterLineBreak(end) : -1;
    } else if (!kept) {
        m_rows.set(line, kManyRows);
        m_wraps.emplace(line, std::move(fresh));
    }
    addRows(line, rowsOfLine(line) - before);
    return found;
}

void PaneLayout::addRows(qsizetype line, qint64 delta)
{
    if (delta != 0)
        m_rowChanges.append({line, delta});
}

void PaneLayout::applyRowChanges()
{
    if (m_rowChanges.isEmpty())
        return;
    std::sort(m_rowChanges.begin(), m_rowChanges.end());
    qint64 total = 0;
    qsizetype next = 0;
    for (qsizetype group = m_rowChanges.first().first / kGroup + 1; group < m_groupRows.size();
         ++group) {
        while (next < m_rowChanges.size() && m_rowChanges.at(next).first < group * kGroup)
            total += m_rowChanges.at(next++).second;
        m_groupRows[group] += total;
    }
    for (; next < m_rowChanges.size(); ++next)
        total += m_rowChanges.at(next).second;
    m_rowCount += total;
    m_rowChanges.clear();
}
