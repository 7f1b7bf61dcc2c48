// Finding rows and positions in the layout.
#include "core/pane/pane_layout.h"

#include "core/pane/pane_text.h"

#include <algorithm>

const QList<qint64> *PaneLayout::checkpointsOf(qsizetype line) const
{
    if (line == m_scan.line)
        return m_scan.hasTab ? &m_scan.points : nullptr;
    const auto found = m_checkpoints.constFind(line);
    return found == m_checkpoints.cend() ? nullptr : &*found;
}

void PaneLayout::lineBounds(const PaneText &text, qsizetype line, qsizetype *start,
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

bool PaneLayout::lineHasTabs(qsizetype line, qsizetype start, qsizetype end) const
{
    if (line == m_scan.line)
        return m_scan.hasTab;
    // Long lines with tabs have checkpoints; short ones are read anyway.
    return end - start <= m_checkpointStep || m_checkpoints.contains(line);
}

PaneLayout::LineRows PaneLayout::lineRows(const PaneText &text, qsizetype line) const
{
    LineRows rows;
    rows.line = line;
    lineBounds(text, line, &rows.start, &rows.end);
    rows.cells = lineCells(line);
    rows.tabs = lineHasTabs(line, rows.start, rows.end);
    rows.frontier = RowWrap::cursorAt(rows.start, 0);
    rows.known = true;
    if (rows.cells <= m_columns)
        return rows;
    const Wrap *wrap = nullptr;
    if (line == m_cells.size() - 1) {
        wrap = &m_tail;
    } else {
        const quint8 count = m_rows.at(line);
        if (count == kManyRows) {
            wrap = &m_wraps.at(line);
        } else if (count != 0) {
            rows.wrapped = count;
            rows.known = false;
            return rows;
        } else {
            rows.wrapped = 0;
            rows.done = false;
            return rows;
        }
    }
    rows.wrapped = wrap->rows + (wrap->done ? 1 : 0);
    rows.done = wrap->done;
    rows.frontier = wrap->at;
    rows.marks = &wrap->marks;
    return rows;
}

qint64 PaneLayout::rowsOf(const LineRows &rows) const
{
    return rows.done ? rows.wrapped
                     : rows.wrapped + rowsAtCells(rows.cells - rows.frontier.rowCell);
}

PaneLayout::Span PaneLayout::spanOf(const PaneText &text, const LineRows &rows, qint64 index) const
{
    Span span;
    if (!rows.done && index >= rows.wrapped) {
        span.cell = rows.frontier.rowCell + (index - rows.wrapped) * m_columns;
        span.atCells = true;
        span.start = byteAtCell(text, rows.line, span.cell, &span.startCell);
        span.end = rows.end;
        return span;
    }
    RowWrap::Cursor at = RowWrap::cursorAt(rows.start, 0);
    qint64 row = 0;
    if (rows.known && rows.done && index == rows.wrapped - 1) {
        at = rows.frontier;
        row = index;
    } else if (rows.marks && index >= kRowStep) {
        const qsizetype mark = std::min(index / kRowStep, rows.marks->size()) - 1;
        if (mark >= 0) {
            const RowStart &start = (*rows.marks)[mark];
            at = RowWrap::cursorAt(start.pos, start.cell);
            row = (mark + 1) * kRowStep;
        }
    }
    while (row < index && RowWrap::nextRow(text, rows.end, m_columns, rows.tabs, at))
        ++row;
    span.start = at.rowStart;
    span.cell = at.rowCell;
    span.startCell = at.rowCell;
    span.end = RowWrap::nextRow(text, rows.end, m_columns, rows.tabs, at) ? at.rowStart : rows.end;
    return span;
}

qint64 PaneLayout::rowOfPosition(const PaneText &text, const LineRows &rows, qsizetype pos,
                                 Span *span) const
{
    pos = std::clamp(pos, rows.start, rows.end);
    if (!rows.done && pos >= rows.frontier.rowStart) {
        // Cut at cells: a line's end right after a full row stays on it.
        const qint64 cell = cellInLine(text, rows.line, pos);
        const qint64 index = std::clamp<qint64>((cell - rows.frontier.rowCell) / m_columns, 0,
                                                rowsOf(rows) - rows.wrapped - 1);
        *span = spanOf(text, rows, rows.wrapped + index);
        return rows.wrapped + index;
    }
    RowWrap::Cursor at = RowWrap::cursorAt(rows.start, 0);
    qint64 row = 0;
    if (rows.known && rows.done && pos >= rows.frontier.rowStart) {
        at = rows.frontier;
        row = rows.wrapped - 1;
    } else if (rows.marks && !rows.marks->isEmpty()) {
        const qsizetype mark =
            rows.marks->upperBound([pos](const RowStart &start) { return pos < start.pos; }) - 1;
        if (mark >= 0) {
            const RowStart &start = (*rows.marks)[mark];
            at = RowWrap::cursorAt(start.pos, start.cell);
            row = (mark + 1) * kRowStep;
        }
    }
    span->start = at.rowStart;
    span->cell = span->startCell = at.rowCell;
    span->end = rows.end;
    for (;;) {
        RowWrap::Cursor next = at;
        if (!RowWrap::nextRow(text, rows.end, m_columns, rows.tabs, next))
            break;
        if (next.rowStart > pos) {
            span->end = next.rowStart;
            break;
        }
        at = next;
        ++row;
        span->start = at.rowStart;
        span->cell = span->startCell = at.rowCell;
    }
    return row;
}

qsizetype PaneLayout::byteAtCell(const PaneText &text, qsizetype line, qint64 cell,
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
        const qint64 width = RowWrap::widthAt(text.at(pos), c);
        if (c + width > cell)
            break;
        c += width;
        ++pos;
    }
    *byteCell = c;
    return pos;
}

qint64 PaneLayout::cellInLine(const PaneText &text, qsizetype line, qsizetype pos) const
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
        c += RowWrap::widthAt(text.at(x), c);
    return c;
}

QList<PaneLayout::Cell> PaneLayout::rowCells(const PaneText &text, qint64 row) const
{
    QList<Cell> cells;
    if (row < 0 || row >= rowCount())
        return cells;
    const qsizetype line = lineOfRow(row);
    const LineRows rows = lineRows(text, line);
    const Span span = spanOf(text, rows, row - firstRowOfLine(line));
    const qint64 rowEnd = span.cell + m_columns;
    cells.reserve(m_columns);
    qint64 c = span.startCell;
    if (span.atCells) {
        const qint64 endCell = std::min(rowEnd, rows.cells);
        for (qsizetype pos = span.start; pos < span.end && c < endCell; ++pos) {
            const qint64 width = RowWrap::widthAt(text.at(pos), c);
            const qint64 from = std::max(c, span.cell);
            const qint64 to = std::min(c + width, rowEnd);
            cells.append(Cell{pos, int(from - span.cell), int(to - from)});
            c += width;
        }
        return cells;
    }
    // Blanks hanging past the row's end are not shown.
    for (qsizetype pos = span.start; pos < span.end && c < rowEnd; ++pos) {
        const qint64 width = RowWrap::widthAt(text.at(pos), c);
        cells.append(Cell{pos, int(c - span.cell), int(std::min(c + width, rowEnd) - c)});
        c += width;
    }
    return cells;
}

qsizetype PaneLayout::positionAt(const PaneText &text, qint64 row, int column) const
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

PaneLayout::CellPos PaneLayout::cellOfPosition(const PaneText &text, qsizetype pos) const
{
    if (m_cells.isEmpty())
        return {};
    pos = std::clamp<qsizetype>(pos, 0, text.size());
    const qsizetype line = std::min(text.lineAt(pos), m_cells.size() - 1);
    const LineRows rows = lineRows(text, line);
    pos = std::clamp(pos, rows.start, rows.end);
    Span span;
    const qint64 index = rowOfPosition(text, rows, pos, &span);
    const qint64 cell = span.atCells ? cellInLine(text, line, pos)
                                     : RowWrap::cellAt(text, span.start, span.cell, pos, rows.tabs);
    const int column = int(std::clamp<qint64>(cell - span.cell, 0, m_columns));
    return CellPos{firstRowOfLine(line) + index, column};
}
