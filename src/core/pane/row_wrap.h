#pragma once

#include <QtGlobal>

class PaneText;

// Wrapping one line of a pane into rows the way a text box does: a row ends
// at a blank (space or tab) before the first word that would not fit, and
// the blanks there stay at the end of that row even past its last cell. A
// run of non-blanks wider than the row alone is cut where the row ends.
//
// Cells count from the line's start, so a tab reaches the next multiple of
// kTabWidth cells of its line whatever row it is on.
namespace RowWrap {

constexpr int kTabWidth = 8;

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The cells the byte `c` takes when it starts at cell `cell` of its line.
inline qint64 widthAt(char c, qint64 cell)
{
    return c == '\t' ? kTabWidth - cell % kTabWidth : 1;
}

// A row being wrapped: where it starts, and how far its line has been read.
struct Cursor
{
    qsizetype rowStart = 0;
    // The line's cell at rowStart: the row's column 0.
    qint64 rowCell = 0;
    // Read up to pos, the byte starting at cell `cell`.
    qsizetype pos = 0;
    qint64 cell = 0;
};

inline Cursor cursorAt(qsizetype pos, qint64 cell)
{
    return Cursor{pos, cell, pos, cell};
}

// Moves `at` to the start of the row after its row, reading no byte at or
// past `end`. Returns false, `at` having read up to `end`, when the bytes
// before `end` do not end the row: it is the line's last row so far. `tabs`
// false promises no tab between at.pos and `end` (the cells are then
// counted without reading). Each call reads the bytes of about one row.
bool nextRow(const PaneText &text, qsizetype end, int columns, bool tabs, Cursor &at);

// The rows of a line of `length` bytes at `line`, none a tab, the same as
// nextRow() finds; 0 once they reach `most` (the caller then wraps the line
// row by row).
qint64 rowsOfPlain(const char *line, qsizetype length, int columns, qint64 most);

// The cell where the byte at `to` starts, from the byte at `from` starting
// at `fromCell` (from <= to).
qint64 cellAt(const PaneText &text, qsizetype from, qint64 fromCell, qsizetype to, bool tabs);

} // namespace RowWrap
