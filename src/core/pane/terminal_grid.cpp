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

// A cell that shows nothing: a blank on the default background.
bool TerminalGrid::isEmpty(const Cell &cell) const
{
    const bool blank = cell.character == 0 || cell.character == U' ';
    constexpr quint8 shown = TerminalStyle::DefaultBackground | TerminalStyle::Reverse |
                             TerminalStyle::Underline | TerminalStyle::Strike;
    return blank && (flagsOf(cell) & shown) == TerminalStyle::DefaultBackground;
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
    const Cell *cells = this->row(row);
    int count = m_columns;
    while (count > 0 && isEmpty(cells[count - 1]))
        --count;
    TerminalLine line;
    line.text.resize(size_t(count));
    char32_t *text = line.text.data();
    qint32 length = 0;
    TerminalStyle current;
    for (int i = 0; i < count; ++i) {
        const Cell &cell = cells[i];
        if (i > 0 && cell.character == kWideRight)
            continue; // the right half of a double-width character
        if (cell.style.foreground != current.foreground ||
            cell.style.background != current.background || flagsOf(cell) != current.flags) {
            current = looksOf(cell);
            line.runs.append(TerminalRun{length, current});
        }
        text[length++] = cell.character == 0 ? U' ' : cell.character;
    }
    line.text.resize(size_t(length));
    return line;
}
