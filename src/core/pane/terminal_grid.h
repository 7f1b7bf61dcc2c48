#pragma once

#include "core/pane/terminal_style.h"

#include <vector>

// The cells of the Terminal format's screen, as TerminalScreen keeps them:
// rows of cells held in a ring, so that the whole screen scrolling up a
// line moves no cell, only where the top row starts.
//
// A cell holds its character (0 where nothing was written; kWideRight in
// the right half of a double-width character), its looks as the device's
// pen set them, and whether a selective erase leaves it alone. The screen's
// reverse mode flips every cell's Reverse as it is read.
class TerminalGrid
{
public:
    static constexpr char32_t kWideRight = char32_t(0xffffffffu);

    struct Cell
    {
        char32_t character = 0;
        TerminalStyle style;
        bool isProtected = false;
    };

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    bool isReverse() const { return m_reverse; }
    void setReverse(bool reverse) { m_reverse = reverse; }

    // Every cell blank with `blank`'s looks.
    void reset(int rows, int columns, const TerminalStyle &blank);
    // The cells kept where both sizes have them; new cells are blank.
    void resize(int rows, int columns, const TerminalStyle &blank);

    Cell *row(int row) { return m_cells.data() + rowStart(row); }
    const Cell *row(int row) const { return m_cells.data() + rowStart(row); }
    // Rows [0, count) become the last ones; their cells are unchanged.
    void rotateUp(int count);
    // Columns [from, to) of `row` become blanks with `blank`'s looks
    // (protected cells stay when `selective`).
    void erase(int row, int from, int to, const TerminalStyle &blank, bool selective);
    // Whether nothing was written in `row` (no character, not even a blank).
    bool isEndOfLine(int row) const;

    TerminalCell cell(int row, int column) const;
    // The row as a line: one character per cell (a double-width one once),
    // the empty cells at its end left out, its looks as runs.
    TerminalLine line(int row) const;
    // The same into `line`, whose memory is reused: every scrolled-off line
    // passes through here.
    void lineInto(int row, TerminalLine &line) const;

private:
    size_t rowStart(int row) const
    {
        int at = m_top + row;
        if (at >= m_rows)
            at -= m_rows;
        return size_t(at) * size_t(m_columns);
    }
    // The flags as read: the screen's reverse mode flips Reverse.
    quint8 flagsOf(const Cell &cell) const
    {
        return m_reverse ? quint8(cell.style.flags ^ TerminalStyle::Reverse) : cell.style.flags;
    }
    TerminalStyle looksOf(const Cell &cell) const
    {
        TerminalStyle style = cell.style;
        style.flags = flagsOf(cell);
        return style;
    }
    // A cell that shows nothing: a blank on the default background.
    bool isEmpty(const Cell &cell) const
    {
        const bool blank = cell.character == 0 || cell.character == U' ';
        constexpr quint8 shown = TerminalStyle::DefaultBackground | TerminalStyle::Reverse |
                                 TerminalStyle::Underline | TerminalStyle::Strike;
        return blank && (flagsOf(cell) & shown) == TerminalStyle::DefaultBackground;
    }

    std::vector<Cell> m_cells;
    int m_rows = 0;
    int m_columns = 0;
    int m_top = 0; // the ring's index of row 0
    bool m_reverse = false;
};
