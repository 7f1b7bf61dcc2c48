#include "core/pane/row_wrap.h"

#include "core/pane/pane_text.h"

#include <algorithm>

namespace RowWrap {

namespace {

void startRow(Cursor &at, qsizetype pos, qint64 cell)
{
    at.rowStart = pos;
    at.rowCell = cell;
}

// Moves `at` to `to`, or to the first tab before it.
void readPlain(const PaneText &text, qsizetype to, bool tabs, Cursor &at)
{
    const qsizetype stop = tabs ? text.indexOf('\t', at.pos, to) : to;
    at.cell += stop - at.pos;
    at.pos = stop;
}

} // namespace

bool nextRow(const PaneText &text, qsizetype end, int columns, bool tabs, Cursor &at)
{
    const qint64 limit = at.rowCell + columns;
    // On to the first byte that starts past the row's last cell.
    while (at.cell < limit && at.pos < end) {
        readPlain(text, at.pos + std::min<qint64>(end - at.pos, limit - at.cell), tabs, at);
        if (at.cell < limit && at.pos < end) {
            at.cell += widthAt('\t', at.cell);
            ++at.pos;
        }
    }
    if (at.pos >= end)
        return false;
    if (isBlank(text.at(at.pos))) {
        // Blanks hang at the row's end; the next row starts after them.
        while (at.pos < end) {
            const char c = text.at(at.pos);
            if (!isBlank(c)) {
                startRow(at, at.pos, at.cell);
                return true;
            }
            at.cell += widthAt(c, at.cell);
            ++at.pos;
        }
        return false;
    }
    // The word that does not fit starts the next row, unless it is as long
    // as the row: then it is cut where the row ends. Words hold no tabs, so
    // they take one cell a byte.
    qsizetype word = at.pos;
    while (word > at.rowStart && !isBlank(text.at(word - 1)))
        --word;
    if (word > at.rowStart)
        startRow(at, word, at.cell - (at.pos - word));
    else
        startRow(at, at.pos, at.cell);
    return true;
}

qint64 rowsOfPlain(const char *line, qsizetype length, int columns, qint64 most)
{
    const char *end = line + length;
    const char *rowStart = line;
    qint64 rows = 1;
    while (end - rowStart > columns) {
        if (rows >= most)
            return 0;
        const char *past = rowStart + columns;
        if (isBlank(*past)) {
            while (past < end && isBlank(*past))
                ++past;
            if (past == end)
                break; // blanks hanging at the line's end
            rowStart = past;
        } else {
            const char *word = past;
            while (word > rowStart && !isBlank(word[-1]))
                --word;
            rowStart = word > rowStart ? word : past;
        }
        ++rows;
    }
    return rows < most ? rows : 0;
}

qint64 cellAt(const PaneText &text, qsizetype from, qint64 fromCell, qsizetype to, bool tabs)
{
    Cursor at = cursorAt(from, fromCell);
    while (at.pos < to) {
        readPlain(text, to, tabs, at);
        if (at.pos < to) {
            at.cell += widthAt('\t', at.cell);
            ++at.pos;
        }
    }
    return at.cell;
}

} // namespace RowWrap
