// Building the layout: lines, their cells and rows, as text comes in and
// when the width changes.
#include "core/pane/pane_layout.h"

#include "core/pane/pane_text.h"

#include <algorithm>
#include <limits>

PaneLayout::PaneLayout(qsizetype checkpointStep)
    : m_checkpointStep(std::max<qsizetype>(1, checkpointStep))
{
    m_tail.done = true;
}

void PaneLayout::setColumns(int columns)
{
    columns = std::max(1, columns);
    if (columns == m_columns)
        return;
    m_columns = columns;
    m_rows.clear();
    m_wraps.clear();
    m_rowChanges.clear();
    // Walks the counts in order, the long ones alongside, skipping groups
    // whose lines all fit. Lines wider than the pane are cut at cells until
    // wrapPending() reaches them.
    const qsizetype lines = m_cells.size();
    const qsizetype last = lines - 1;
    // Rows past the first of a line of c cells, (c - 1) / columns, as a
    // multiply and a shift: exact while (c - 1) * columns < 2^16, which holds
    // where it is used (c < kLong, columns < c).
    const quint32 perRow = (quint32(1) << 16) / quint32(m_columns) + 1;
    qint64 rows = 0;
    qsizetype waiting = 0;
    qsizetype nextLong = 0;
    for (qsizetype group = 0; group < m_groupRows.size(); ++group) {
        m_groupRows[group] = rows;
        const qsizetype first = group * kGroup;
        const qsizetype end = std::min(first + kGroup, lines);
        // kLong stands for any width from there up: such groups are walked.
        const quint8 widest = m_groupWidest[group];
        if (widest < kLong && widest <= m_columns) {
            rows += end - first;
            continue;
        }
        if (widest < kLong) {
            // No long line: the group's counts lie side by side in one chunk.
            static_assert(decltype(m_cells)::kChunk % kGroup == 0);
            const quint8 *count = &m_cells[first];
            const quint32 columns = quint32(m_columns);
            quint32 moreRows = 0;
            quint32 wider = 0;
            for (qsizetype i = 0; i < end - first; ++i) {
                const quint32 cells = count[i];
                moreRows += ((cells - (cells != 0)) * perRow) >> 16;
                wider += cells > columns;
            }
            rows += end - first + moreRows;
            waiting += wider;
            if (end == lines && m_cells[last] > m_columns)
                --waiting; // the last line is left to the tail
            continue;
        }
        for (qsizetype line = first; line < end; ++line) {
            const quint8 count = m_cells[line];
            const qint64 cells = count == kLong ? m_longCells[nextLong++].cells : count;
            if (cells <= m_columns) {
                ++rows;
                continue;
            }
            rows += rowsAtCells(cells);
            if (line < last)
                ++waiting;
        }
    }
    m_rowCount = rows;
    m_waitingLines = waiting;
    m_passLine = 0;
    m_passStart = -1;
    m_tail = Wrap{};
    m_tail.at = RowWrap::cursorAt(m_scan.start, 0);
    if (m_scan.cells <= m_columns) {
        // All of it fits one row: no byte can start past its end.
        m_tail.at.pos = m_scan.pos;
        m_tail.at.cell = m_scan.cells;
        m_tail.done = true;
    }
}

void PaneLayout::clear()
{
    m_cells.clear();
    m_longCells.clear();
    m_groupRows.clear();
    m_groupWidest.clear();
    m_rowCount = 0;
    m_checkpoints = {};
    m_scan = Scan{};
    m_rows.clear();
    m_wraps.clear();
    m_tail = Wrap{};
    m_tail.done = true;
    m_waitingLines = 0;
    m_passLine = 0;
    m_passStart = -1;
    m_rowChanges.clear();
}

void PaneLayout::rebuild(const PaneText &text)
{
    clear();
    layOutFrom(text, 0);
}

void PaneLayout::append(const PaneText &text)
{
    // Lines before the last one are final; the last may have grown, or (a CR
    // LF split over two appends) lost its start.
    layOutFrom(text, std::max<qsizetype>(0, m_cells.size() - 1));
}

qint64 PaneLayout::lineCells(qsizetype line) const
{
    const quint8 cells = m_cells[line];
    if (cells != kLong)
        return cells;
    const qsizetype after =
        m_longCells.upperBound([line](const LongLine &l) { return line < l.line; });
    return m_longCells[after - 1].cells;
}

qint64 PaneLayout::rowsAtCells(qint64 cells) const
{
    return cells <= 0 ? 1 : (cells + m_columns - 1) / m_columns;
}

qint64 PaneLayout::rowsOf(const Wrap &wrap, qint64 cells) const
{
    return wrap.rows + (wrap.done ? 1 : rowsAtCells(cells - wrap.at.rowCell));
}

qint64 PaneLayout::rowsOfLine(qsizetype line) const
{
    const quint8 count = m_cells[line];
    if (count != kLong && count <= m_columns)
        return 1;
    if (line == m_cells.size() - 1)
        return rowsOf(m_tail, lineCells(line));
    const quint8 rows = m_rows.at(line);
    if (rows == kManyRows)
        return rowsOf(m_wraps.at(line), lineCells(line));
    if (rows != 0)
        return rows;
    // Waiting: cut at cells. (Or a long line no wider than the pane.)
    return rowsAtCells(lineCells(line));
}

qint64 PaneLayout::firstRowOfLine(qsizetype line) const
{
    if (m_cells.isEmpty())
        return 0;
    line = std::min(line, m_cells.size());
    const qsizetype group = std::min(line / kGroup, m_groupRows.size() - 1);
    qint64 rows = m_groupRows[group];
    for (qsizetype l = group * kGroup; l < line; ++l)
        rows += rowsOfLine(l);
    return rows;
}

qsizetype PaneLayout::lineOfRow(qint64 row) const
{
    if (m_cells.isEmpty())
        return 0;
    const qsizetype after = m_groupRows.upperBound([row](qint64 rows) { return row < rows; });
    const qsizetype group = std::max<qsizetype>(0, after - 1);
    qint64 rows = m_groupRows[group];
    const qsizetype last = m_cells.size() - 1;
    qsizetype line = group * kGroup;
    for (; line < last; ++line) {
        rows += rowsOfLine(line);
        if (rows > row)
            break;
    }
    return line;
}

void PaneLayout::truncate(qsizetype lines)
{
    if (lines >= m_cells.size())
        return;
    m_rowCount = firstRowOfLine(lines);
    // Only the last line is ever dropped in practice; it keeps no rows here.
    for (qsizetype line = lines; line < m_cells.size() - 1; ++line) {
        if (isWaiting(line))
            --m_waitingLines;
        m_rows.set(line, 0);
        m_wraps.erase(line);
    }
    m_cells.truncate(lines);
    m_longCells.truncate(
        m_longCells.upperBound([lines](const LongLine &l) { return lines <= l.line; }));
    m_groupRows.truncate((lines + kGroup - 1) / kGroup);
    m_groupWidest.truncate(m_groupRows.size());
    m_checkpoints.remove(lines);
    m_passLine = std::min(m_passLine, lines);
    m_passStart = -1;
}

void PaneLayout::pushLine(qint64 cells, qint64 rows)
{
    const qsizetype line = m_cells.size();
    if (line % kGroup == 0) {
        m_groupRows.append(m_rowCount);
        m_groupWidest.append(0);
    }
    quint8 &widest = m_groupWidest.last();
    widest = quint8(std::max<qint64>(widest, std::min<qint64>(cells, kLong)));
    if (cells >= kLong) {
        m_cells.append(kLong);
        m_longCells.append(LongLine{line, cells});
    } else {
        m_cells.append(quint8(cells));
    }
    m_rowCount += rows;
}

void PaneLayout::layOutFrom(const PaneText &text, qsizetype firstLine)
{
    truncate(firstLine);
    const qsizetype size = text.size();
    qsizetype line = firstLine;
    const qsizetype start = text.lineStart(line);
    // A CR scanned as a character may have become the start of a CR LF break.
    const bool pairCompleted = text.lineBreaks() == LineBreaks::CrLf && m_scan.pos > start &&
                               m_scan.pos <= size && text.at(m_scan.pos - 1) == '\r';
    if (line != m_scan.line || start != m_scan.start || m_scan.pos > size || pairCompleted) {
        m_scan = Scan{line, start, start, 0, false, {}};
        startTail(start);
    }
    for (;;) {
        if (m_scan.pos == m_scan.start && m_scan.start < size &&
            text.lineBreaks() == LineBreaks::Any) {
            if (const qsizetype next = layOutPlainLines(text, m_scan.start); next != m_scan.start) {
                line = m_cells.size();
                m_scan = Scan{line, next, next, 0, false, {}};
                startTail(next);
            }
        }
        const qsizetype end = scanToBreak(text, size);
        wrapTail(text);
        pushLine(m_scan.cells, rowsOf(m_tail, m_scan.cells));
        if (end >= size)
            break;
        finishScan();
        finishTail();
        const qsizetype next = text.afterLineBreak(end);
        m_scan = Scan{++line, next, next, 0, false, {}};
        startTail(next);
    }
}

void PaneLayout::finishScan()
{
    // Short lines are read from their start instead.
    if (m_scan.hasTab && m_scan.pos - m_scan.start > m_checkpointStep)
        m_checkpoints.insert(m_scan.line, std::move(m_scan.points));
}

void PaneLayout::startTail(qsizetype start)
{
    // A new last line keeps up with the appends from its start.
    m_tail = Wrap{};
    m_tail.at = RowWrap::cursorAt(start, 0);
    m_tail.done = true;
}

void PaneLayout::wrapTail(const PaneText &text)
{
    // A last line still waiting for wrapPending() is left to it.
    if (m_tail.done)
        wrapOn(text, m_tail, m_scan.pos, m_scan.hasTab, std::numeric_limits<qint64>::max());
}

void PaneLayout::finishTail()
{
    const qsizetype line = m_scan.line;
    if (m_scan.cells <= m_columns)
        return;
    if (!m_tail.done) {
        ++m_waitingLines;
        if (m_tail.at.pos == m_scan.start)
            return;
    } else if (m_tail.rows + 1 < kManyRows) {
        m_rows.set(line, quint8(m_tail.rows + 1));
        return;
    }
    m_rows.set(line, kManyRows);
    m_wraps.insert_or_assign(line, std::move(m_tail));
}

void PaneLayout::wrapOn(const PaneText &text, Wrap &wrap, qsizetype end, bool tabs,
                        qint64 budget) const
{
    for (qint64 found = 0; found < budget; ++found) {
        if (!RowWrap::nextRow(text, end, m_columns, tabs, wrap.at)) {
            wrap.done = true;
            return;
        }
        if (++wrap.rows % kRowStep == 0)
            wrap.marks.append(RowStart{wrap.at.rowStart, wrap.at.rowCell});
    }
    wrap.done = false;
}

qsizetype PaneLayout::scanToBreak(const PaneText &text, qsizetype size)
{
    // Most lines hold no tab: one pass finds the break and shows none before it.
    qsizetype from = m_scan.pos;
    if (!m_scan.hasTab && text.lineBreaks() == LineBreaks::Any) {
        from = text.findLineBreakOrTab(m_scan.pos, size);
        if (from >= size || text.at(from) != '\t') {
            m_scan.cells += from - m_scan.pos;
            m_scan.pos = from;
            return from;
        }
    }
    const qsizetype end = text.findLineBreak(from, size);
    advance(text, end);
    return end;
}

void PaneLayout::advance(const PaneText &text, qsizetype end)
{
    while (m_scan.pos < end) {
        const qsizetype stop = text.indexOf('\t', m_scan.pos, end);
        const bool hit = stop < end;
        m_scan.cells += stop - m_scan.pos;
        m_scan.pos = stop;
        if (hit)
            m_scan.hasTab = true;
        if (m_scan.hasTab)
            recordCheckpoints();
        if (!hit)
            break;
        m_scan.cells = (m_scan.cells / kTabWidth + 1) * kTabWidth;
        ++m_scan.pos;
    }
}

void PaneLayout::recordCheckpoints()
{
    // No tab lies between the last recorded checkpoint and m_scan.pos, so
    // cells grow one per byte there.
    QList<qint64> &points = m_scan.points;
    for (qsizetype x = m_scan.start + points.size() * m_checkpointStep; x <= m_scan.pos;
         x += m_checkpointStep)
        points.append(m_scan.cells - (m_scan.pos - x));
}

QChar PaneLayout::displayChar(uchar byte, bool *standIn)
{
    bool stand = true;
    QChar shown;
    if (byte == '\t') {
        shown = QLatin1Char(' ');
        stand = false;
    } else if (byte < 0x20) {
        shown = QChar(0x2400 + byte);
    } else if (byte == 0x7F) {
        shown = QChar(0x2421);
    } else if (byte == 0xA0) {
        shown = QChar(0x00B7);
    } else if (byte >= 0x80 && byte < 0xA0) {
        shown = QLatin1Char(char(byte)); // a C1 control: the view draws its code
    } else {
        shown = QLatin1Char(char(byte));
        stand = false;
    }
    if (standIn)
        *standIn = stand;
    return shown;
}
