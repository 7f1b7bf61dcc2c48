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
    qint64 rows = 0;
    for (qsizetype line = 0; line < m_cells.size(); ++line) {
        rows += rowsFor(m_cells.at(line));
        m_rowEnds[line] = rows;
    }
}

void CapturePaneLayout::clear()
{
    m_cells.clear();
    m_rowEnds.clear();
    m_checkpoints.clear();
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

void CapturePaneLayout::layOutFrom(const PaneText &text, qsizetype firstLine)
{
    m_cells.resize(firstLine);
    m_rowEnds.resize(firstLine);
    const char *data = text.text().constData();
    const qsizetype lines = text.lineCount();
    m_cells.reserve(lines);
    m_rowEnds.reserve(lines);
    for (qsizetype line = firstLine; line < lines; ++line) {
        const qsizetype start = text.lineStart(line);
        const qsizetype end = text.lineEnd(line);
        if (line != m_scan.line || start != m_scan.start || m_scan.pos > end) {
            m_checkpoints.remove(line);
            m_scan = Scan{line, start, start, 0, false};
        }
        advance(data, end);
        const qint64 before = m_rowEnds.isEmpty() ? 0 : m_rowEnds.constLast();
        m_cells.append(m_scan.cells);
        m_rowEnds.append(before + rowsFor(m_scan.cells));
    }
}

void CapturePaneLayout::advance(const char *data, qsizetype end)
{
    while (m_scan.pos < end) {
        const void *hit = std::memchr(data + m_scan.pos, '\t', size_t(end - m_scan.pos));
        const qsizetype stop = hit ? static_cast<const char *>(hit) - data : end;
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
    QList<qint64> &points = m_checkpoints[m_scan.line];
    for (qsizetype x = m_scan.start + points.size() * m_checkpointStep; x <= m_scan.pos;
         x += m_checkpointStep)
        points.append(m_scan.cells - (m_scan.pos - x));
}

qint64 CapturePaneLayout::rowsFor(qint64 cells) const
{
    return cells <= 0 ? 1 : (cells + m_columns - 1) / m_columns;
}

qint64 CapturePaneLayout::rowsOfLine(qsizetype line) const
{
    return m_rowEnds.at(line) - firstRowOfLine(line);
}

qsizetype CapturePaneLayout::lineOfRow(qint64 row) const
{
    if (m_rowEnds.isEmpty())
        return 0;
    const auto it = std::upper_bound(m_rowEnds.cbegin(), m_rowEnds.cend(), row);
    return std::min<qsizetype>(it - m_rowEnds.cbegin(), m_rowEnds.size() - 1);
}

void CapturePaneLayout::lineBounds(const PaneText &text, qsizetype line, qsizetype *start,
                                   qsizetype *end) const
{
    if (line >= text.lineCount()) {
        *start = *end = text.size();
        return;
    }
    *start = text.lineStart(line);
    *end = text.lineEnd(line);
    // The model may hold more than was laid out.
    if (line == m_scan.line)
        *end = *start == m_scan.start ? std::min(*end, m_scan.pos) : *start;
}

qsizetype CapturePaneLayout::byteAtCell(const PaneText &text, qsizetype line, qint64 cell,
                                        qint64 *byteCell) const
{
    qsizetype start = 0;
    qsizetype end = 0;
    lineBounds(text, line, &start, &end);
    const auto found = m_checkpoints.constFind(line);
    if (found == m_checkpoints.cend()) {
        const qsizetype pos = start + std::clamp<qint64>(cell, 0, end - start);
        *byteCell = pos - start;
        return pos;
    }
    const QList<qint64> &points = *found;
    const auto it = std::upper_bound(points.cbegin(), points.cend(), cell);
    const qsizetype index = std::max<qsizetype>(0, (it - points.cbegin()) - 1);
    qsizetype pos = start + index * m_checkpointStep;
    qint64 c = points.at(index);
    const char *data = text.text().constData();
    while (pos < end) {
        const qint64 width = data[pos] == '\t' ? kTabWidth - c % kTabWidth : 1;
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
    const auto found = m_checkpoints.constFind(line);
    if (found == m_checkpoints.cend())
        return pos - start;
    const QList<qint64> &points = *found;
    const qsizetype index =
        std::min<qsizetype>((pos - start) / m_checkpointStep, points.size() - 1);
    qsizetype x = start + index * m_checkpointStep;
    qint64 c = points.at(index);
    const char *data = text.text().constData();
    for (; x < pos; ++x)
        c += data[x] == '\t' ? kTabWidth - c % kTabWidth : 1;
    return c;
}

QList<CapturePaneLayout::Cell> CapturePaneLayout::rowCells(const PaneText &text, qint64 row) const
{
    QList<Cell> cells;
    if (row < 0 || row >= rowCount())
        return cells;
    const qsizetype line = lineOfRow(row);
    const qint64 firstCell = (row - firstRowOfLine(line)) * m_columns;
    const qint64 endCell = std::min(firstCell + m_columns, m_cells.at(line));
    qsizetype start = 0;
    qsizetype end = 0;
    lineBounds(text, line, &start, &end);
    qint64 c = 0;
    qsizetype pos = byteAtCell(text, line, firstCell, &c);
    const char *data = text.text().constData();
    cells.reserve(m_columns);
    for (; pos < end && c < endCell; ++pos) {
        const qint64 width = data[pos] == '\t' ? kTabWidth - c % kTabWidth : 1;
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
