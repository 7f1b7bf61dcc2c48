#include "core/pane/terminal_grid.h"

#include <algorithm>

void TerminalGrid::reset(int rows, int columns, const TerminalStyle &blank)
{
    m_rows = rows;
    m_columns = columns;
    m_top = 0;
    m_cells.assign(size_t(rows) * size_t(columns), Cell{0, blank, false});
}

void TerminalGrid::resize(int rows, int columns, const TerminalStyle &blank)
{
    std::vector<Cell> cells(size_t(rows) * size_t(columns), Cell{0, blank, false});
    const int keptColumns = std::min(columns, m_columns);
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        std::copy_n(row(r), keptColumns, cells.begin() + ptrdiff_t(r) * columns);
    m_cells = std::move(cells);
    m_rows = rows;
    m_columns = columns;
    m_top = 0;
}

void TerminalGrid::rotateUp(int count)
{
    m_top = (m_top + count) % m_rows;
}

void TerminalGrid::erase(int row, int from, int to, const TerminalStyle &blank, bool selective)
{
    Cell *cells = this->row(row);
    const Cell empty{0, blank, false};
    if (!selective) {
        if (from < to)
            std::fill(cells + from, cells + to, empty);
        return;
    }
    for (int column = from; column < to; ++column) {
        if (!cells[column].isProtected)
            cells[column] = empty;
    }
}

bool TerminalGrid::isEndOfLine(int row) const
{
    const Cell *cells = this->row(row);
    return std::all_of(cells, cells + m_columns,
                       [](const Cell &cell) { return cell.character == 0; });
}

TerminalCell TerminalGrid::cell(int row, int column) const
{
    TerminalCell result;
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return result;
    const Cell *cells = this->row(row);
    if (column > 0 && cells[column].character == kWideRight)
        result.width = 0;
    else if (column + 1 < m_columns && cells[column + 1].character == kWideRight)
        result.width = 2;
    const char32_t character = cells[column].character;
    result.character = character == 0 ? U' ' : character;
    result.style = looksOf(cells[column]);
    return result;
}

TerminalLine TerminalGrid::line(int row) const
{
    TerminalLine line;
    lineInto(row, line);
    return line;
}

void TerminalGrid::lineInto(int row, TerminalLine &line) const
{
    const Cell *cells = this->row(row);
    int count = m_columns;
    while (count > 0 && isEmpty(cells[count - 1]))
        --count;
    line.text.resize(size_t(count));
    line.runs.clear(); // keeps its capacity
    char32_t *const text = line.text.data();
    const quint8 flip = m_reverse ? quint8(TerminalStyle::Reverse) : quint8(0);
    // The run's looks in locals: the loop stores only characters.
    const TerminalStyle plain;
    quint32 foreground = plain.foreground;
    quint32 background = plain.background;
    quint8 flags = plain.flags;
    qint32 length = 0;
    for (int i = 0; i < count; ++i) {
        const Cell &cell = cells[i];
        const char32_t character = cell.character;
        if (character == kWideRight && i > 0) [[unlikely]]
            continue; // the right half of a double-width character
        const quint8 cellFlags = quint8(cell.style.flags ^ flip);
        if (cell.style.foreground != foreground || cell.style.background != background ||
            cellFlags != flags) [[unlikely]] {
            foreground = cell.style.foreground;
            background = cell.style.background;
            flags = cellFlags;
            line.runs.append(TerminalRun{length, TerminalStyle{foreground, background, flags}});
        }
        text[length++] = character == 0 ? U' ' : character;
    }
    line.text.resize(size_t(length));
}
