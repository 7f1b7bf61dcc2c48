#include "ui/capture_pane_layout.h"

#include "core/pane_text.h"

#include <algorithm>
#include <cstring>

CapturePaneLayout::CapturePaneLayout(qsizetype checkpointStep)
    : m_checkpointStep(std::max<qsizetype>(1, checkpointStep))
{}

void CapturePaneLayout::setColumns(int columns)
{
    columns = std::max(1, columns);
    if (columns == m_columns)
        return;
    m_columns = columns;
    // Walks the counts in order, the long ones alongside.
    qint64 rows = 0;
    qsizetype nextLong = 0;
    for (qsizetype line = 0; line < m_cells.size(); ++line) {
        if (line % kGroup == 0)
            m_groupRows[line / kGroup] = rows;
        const quint8 cells = m_cells[line];
        if (cells == kLong)
            rows += rowsFor(m_longCells[nextLong++].cells);
        else
            rows += cells <= m_columns ? 1 : rowsFor(cells);
    }
    m_rowCount = rows;
}

void CapturePaneLayout::clear()
{
    m_cells.clear();
    m_longCells.clear();
    m_groupRows.clear();
    m_rowCount = 0;
    m_checkpoints = {};
    m_scan = Scan{};
}

void CapturePaneLayout::rebuild(const PaneText &text)
{
    clear();
    layOutFrom(text, 0);
}

void CapturePaneLayout::append(const PaneText &text)
{
    // Lines before the last one are final; the last may have grown, or (a CR
    // LF split over two appends) lost its start.
    layOutFrom(text, std::max<qsizetype>(0, m_cells.size() - 1));
}

qint64 CapturePaneLayout::lineCells(qsizetype line) const
{
    const quint8 cells = m_cells[line];
    if (cells != kLong)
        return cells;
    const qsizetype after =
        m_longCells.upperBound([line](const LongLine &l) { return line < l.line; });
    return m_longCells[after - 1].cells;
}

qint64 CapturePaneLayout::firstRowOfLine(qsizetype line) const
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

qsizetype CapturePaneLayout::lineOfRow(qint64 row) const
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

void CapturePaneLayout::truncate(qsizetype lines)
{
    if (lines >= m_cells.size())
        return;
    m_rowCount = firstRowOfLine(lines);
    m_cells.truncate(lines);
    m_longCells.truncate(
        m_longCells.upperBound([lines](const LongLine &l) { return lines <= l.line; }));
    m_groupRows.truncate((lines + kGroup - 1) / kGroup);
    m_checkpoints.remove(lines);
}

void CapturePaneLayout::pushLine(qint64 cells)
{
    const qsizetype line = m_cells.size();
    if (line % kGroup == 0)
        m_groupRows.append(m_rowCount);
    if (cells >= kLong) {
        m_cells.append(kLong);
        m_longCells.append(LongLine{line, cells});
    } else {
        m_cells.append(quint8(cells));
    }
    m_rowCount += rowsFor(cells);
}

void CapturePaneLayout::layOutFrom(const PaneText &text, qsizetype firstLine)
{
    truncate(firstLine);
    const qsizetype size = text.size();
    qsizetype line = firstLine;
    const qsizetype start = text.lineStart(line);
    if (line != m_scan.line || start != m_scan.start || m_scan.pos > size)
        m_scan = Scan{line, start, start, 0, false, {}};
    for (;;) {
        const qsizetype end = text.findLineBreak(m_scan.pos, size);
        advance(text, end);
        pushLine(m_scan.cells);
        if (end >= size)
            break;
        finishScan();
        const qsizetype next = text.afterLineBreak(end);
        m_scan = Scan{++line, next, next, 0, false, {}};
    }
}

void CapturePaneLayout::finishScan()
{
    // Short lines are read from their start instead.
    if (m_scan.hasTab && m_scan.pos - m_scan.start > m_checkpointStep)
        m_checkpoints.insert(m_scan.line, std::move(m_scan.points));
}

void CapturePaneLayout::advance(const PaneText &text, qsizetype end)
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

void CapturePaneLayout::recordCheckpoints()
{
    // No tab lies between the last recorded checkpoint and m_scan.pos, so
    // cells grow one per byte there.
    QList<qint64> &points = m_scan.points;
    for (qsizetype x = m_scan.start + points.size() * m_checkpointStep; x <= m_scan.pos;
         x += m_checkpointStep)
        points.append(m_scan.cells - (m_scan.pos - x));
}

const QList<qint64> *CapturePaneLayout::checkpointsOf(qsizetype line) const
{
    if (line == m_scan.line)
        return m_scan.hasTab ? &m_scan.points : nullptr;
    const auto found = m_checkpoints.constFind(line);
    return found == m_checkpoints.cend() ? nullptr : &*found;
}

qint64 CapturePaneLayout::rowsFor(qint64 cells) const
{
    return cells <= 0 ? 1 : (cells + m_columns - 1) / m_columns;
}

void CapturePaneLayout::lineBounds(const PaneText &text, qsizetype line, qsizetype *start,
                                   qsizetype *end) const
{
    if (line >= text.lineCount()) {
        *start = *end = text.size();
        return;
    }
    *start = text.lineStart(line);
    // The model may hold more than was laid out.
    if (line == m_scan.line)
        *end = *start == m_scan.start ? m_scan.pos : *start;
    else
        *end = text.lineEnd(line);
}

qsizetype CapturePaneLayout::byteAtCell(const PaneText &text, qsizetype line, qint64 cell,
                                        qint64 *byteCell) const
{
    qsizetype start = 0;
    qsizetype end = 0;
    lineBounds(text, line, &start, &end);
    const QList<qint64> *points = checkpointsOf(line);
    if (!points && end - start > m_checkpointStep) {
        // A long line without tabs: one cell per byte.
        const qsizetype pos = start + std::clamp<qint64>(cell, 0, end - start);
        *byteCell = pos - start;
        return pos;
    }
    qsizetype pos = start;
    qint64 c = 0;
    if (points && !points->isEmpty()) {
        const auto it = std::upper_bound(points->cbegin(), points->cend(), cell);
        const qsizetype index = std::max<qsizetype>(0, (it - points->cbegin()) - 1);
        pos = start + index * m_checkpointStep;
        c = points->at(index);
    }
    while (pos < end) {
        const qint64 width = text.at(pos) == '\t' ? kTabWidth - c % kTabWidth : 1;
        if (c + width > cell)
            break;
        c += width;
        ++pos;
    }
    *byteCell = c;
    return pos;
}

qint64 CapturePaneLayout::cellInLine(const PaneText &text, qsizetype line, qsizetype pos) const
{
    qsizetype start = 0;
    qsizetype end = 0;
    lineBounds(text, line, &start, &end);
    pos = std::clamp(pos, start, end);
    const QList<qint64> *points = checkpointsOf(line);
    if (!points && end - start > m_checkpointStep)
        return pos - start;
    qsizetype x = start;
    qint64 c = 0;
    if (points && !points->isEmpty()) {
        const qsizetype index =
            std::min<qsizetype>((pos - start) / m_checkpointStep, points->size() - 1);
        x = start + index * m_checkpointStep;
        c = points->at(index);
    }
    for (; x < pos; ++x)
        c += text.at(x) == '\t' ? kTabWidth - c % kTabWidth : 1;
    return c;
}

QList<CapturePaneLayout::Cell> CapturePaneLayout::rowCells(const PaneText &text, qint64 row) const
{
    QList<Cell> cells;
    if (row < 0 || row >= rowCount())
        return cells;
    const qsizetype line = lineOfRow(row);
    const qint64 firstCell = (row - firstRowOfLine(line)) * m_columns;
    const qint64 endCell = std::min(firstCell + m_columns, lineCells(line));
    qsizetype start = 0;
    qsizetype end = 0;
    lineBounds(text, line, &start, &end);
    qint64 c = 0;
    qsizetype pos = byteAtCell(text, line, firstCell, &c);
    cells.reserve(m_columns);
    for (; pos < end && c < endCell; ++pos) {
        const qint64 width = text.at(pos) == '\t' ? kTabWidth - c % kTabWidth : 1;
        const qint64 from = std::max(c, firstCell);
        const qint64 to = std::min(c + width, firstCell + m_columns);
        cells.append(Cell{pos, int(from - firstCell), int(to - from)});
        c += width;
    }
    return cells;
}

qsizetype CapturePaneLayout::positionAt(const PaneText &text, qint64 row, int column) const
{
    if (rowCount() == 0 || row < 0)
        return 0;
    if (row >= rowCount()) {
        qsizetype start = 0;
        qsizetype end = 0;
        lineBounds(text, m_cells.size() - 1, &start, &end);
        return end;
    }
    const QList<Cell> cells = rowCells(text, row);
    for (const Cell &cell : cells) {
        if (column <= cell.column)
            return cell.pos;
        if (column < cell.column + cell.width)
            return (column - cell.column) * 2 < cell.width ? cell.pos : cell.pos + 1;
    }
    if (!cells.isEmpty())
        return cells.constLast().pos + 1;
    qsizetype start = 0;
    qsizetype end = 0;
    lineBounds(text, lineOfRow(row), &start, &end);
    return start;
}

CapturePaneLayout::CellPos CapturePaneLayout::cellOfPosition(const PaneText &text,
                                                             qsizetype pos) const
{
    if (m_cells.isEmpty())
        return {};
    pos = std::clamp<qsizetype>(pos, 0, text.size());
    const qsizetype line = std::min(text.lineAt(pos), m_cells.size() - 1);
    const qint64 cell = cellInLine(text, line, pos);
    const qint64 rows = rowsOfLine(line);
    qint64 sub = cell / m_columns;
    // A line's end right after a full row stays on that row.
    if (sub >= rows)
        sub = rows - 1;
    return CellPos{firstRowOfLine(line) + sub, int(cell - sub * m_columns)};
}

QChar CapturePaneLayout::displayChar(uchar byte, bool *standIn)
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
