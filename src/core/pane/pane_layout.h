#pragma once

#include "core/pane/chunked_list.h"
#include "core/pane/row_wrap.h"
#include "core/pane/sparse_byte_list.h"

#include <QChar>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <unordered_map>

class PaneText;

// Wraps the lines of a PaneText into visual rows of a fixed number of
// character cells, at blanks like a text box (see RowWrap). One byte takes
// one cell, except a tab, which reaches to the next multiple of eight cells
// of its line.
//
// Kept per line: its cell count, one byte for most lines; for lines wider
// than the pane, their row count at this width, one more byte (in memory
// only where such lines are); per group of lines, a running sum of rows and
// the widest line's cells. Appending reads only the new bytes: the last line
// keeps the state of its last row, so only that row and those after it are
// worked out, whatever the pane holds. Lines of many rows keep where every
// kRowStep-th row starts, so finding a row or a position inside one reads at
// most about kRowStep rows. Lines longer than `checkpointStep` bytes that
// hold tabs also keep the cell count at every `checkpointStep` bytes.
//
// A new width costs nothing for lines no wider than it: groups of such lines
// are passed over whole. Wider lines must be read again: until
// wrapPending() reaches them, they are cut at the cell where the row ends,
// which needs no reading, and every row and position answer agrees with
// that.
class PaneLayout
{
public:
    static constexpr int kTabWidth = RowWrap::kTabWidth;
    // Every this many rows of a line, where the row starts is kept.
    static constexpr qint64 kRowStep = 128;

    // One byte shown on a row: its text position, its first cell on the row
    // and how many cells of the row it takes.
    struct Cell
    {
        qsizetype pos = 0;
        int column = 0;
        int width = 1;
    };

    struct CellPos
    {
        qint64 row = 0;
        int column = 0;
    };

    explicit PaneLayout(qsizetype checkpointStep = 4096);

    int columns() const { return m_columns; }
    // Takes a new width without reading the text: lines wider than it wait
    // for wrapPending().
    void setColumns(int columns);
    // Whether lines wait to be wrapped at the current width.
    bool isWrapping() const { return m_waitingLines > 0 || !m_tail.done; }
    // Wraps waiting lines, those from firstLine to lastLine first, until the
    // deadline passes; some work is done however near it is. Returns
    // whether lines still wait. Rows of lines above those wrapped change.
    bool wrapPending(const PaneText &text, qsizetype firstLine, qsizetype lastLine,
                     QDeadlineTimer deadline);

    // Forgets everything (no text: no lines, no rows).
    void clear();
    // Lays out the whole text anew.
    void rebuild(const PaneText &text);
    // Takes in what was appended since the last rebuild() or append(). Reads
    // the bytes after the last laid-out position only.
    void append(const PaneText &text);

    qsizetype lineCount() const { return m_cells.size(); }
    qint64 lineCells(qsizetype line) const;
    qint64 rowCount() const { return m_rowCount; }
    qint64 firstRowOfLine(qsizetype line) const;
    qint64 rowsOfLine(qsizetype line) const;
    qsizetype lineOfRow(qint64 row) const;

    // The bytes shown on `row`, left to right. Blanks hanging past the
    // row's last cell are not listed.
    QList<Cell> rowCells(const PaneText &text, qint64 row) const;
    // The text position nearest to the cell boundary `column` of `row`.
    qsizetype positionAt(const PaneText &text, qint64 row, int column) const;
    // Where the byte at text position `pos` is shown; a position at a line's
    // end is just after its last cell, and one among blanks hanging past a
    // row's end is at the row's last column.
    CellPos cellOfPosition(const PaneText &text, qsizetype pos) const;
    // The cell of `line` where the byte at `pos` starts.
    qint64 cellInLine(const PaneText &text, qsizetype line, qsizetype pos) const;

    // What a byte looks like on screen. `standIn` tells bytes that are shown
    // by a stand-in glyph (control pictures, the middle dot for 0xA0).
    static QChar displayChar(uchar byte, bool *standIn = nullptr);

private:
    // Lines are grouped by this many for the running sum of rows.
    static constexpr qsizetype kGroup = 64;
    // A line of this many cells or more keeps its count in m_longCells.
    static constexpr quint8 kLong = 255;
    // A line of this many rows or more, or partly wrapped, keeps a Wrap.
    static constexpr quint8 kManyRows = 255;

    struct Scan
    {
        qsizetype line = -1;
        qsizetype start = 0;
        qsizetype pos = 0;
        qint64 cells = 0;
        bool hasTab = false;
        QList<qint64> points;
    };
    struct LongLine
    {
        qsizetype line;
        qint64 cells;
    };
    struct RowStart
    {
        qsizetype pos;
        qint64 cell;
    };
    // How far a line wider than the pane has been wrapped at this width.
    struct Wrap
    {
        RowWrap::Cursor at;
        // Rows before at.rowStart.
        qint64 rows = 0;
        // at.rowStart's row is the line's last (so far, for the last line).
        bool done = false;
        // Where rows kRowStep, 2 kRowStep, ... start.
        ChunkedList<RowStart, 10> marks;
    };
    // What is known of a line's rows: the first `wrapped` are wrapped at
    // blanks; unless `done`, the rest are cut at cells from `frontier` on.
    struct LineRows
    {
        qsizetype line = 0;
        qsizetype start = 0;
        qsizetype end = 0;
        qint64 cells = 0;
        bool tabs = true;
        qint64 wrapped = 1;
        bool done = true;
        // Valid when `known`: the start of row `wrapped` (or, when done, of
        // the last row).
        RowWrap::Cursor frontier;
        bool known = false;
        const ChunkedList<RowStart, 10> *marks = nullptr;
    };
    // The bytes of one row.
    struct Span
    {
        qsizetype start = 0;
        qsizetype end = 0;
        // The line's cell shown at column 0, and the one `start` starts at:
        // cut at cells, a tab may reach in from the row before.
        qint64 cell = 0;
        qint64 startCell = 0;
        bool atCells = false;
    };

    // Building (pane_layout.cpp).
    void layOutFrom(const PaneText &text, qsizetype firstLine);
    void truncate(qsizetype lines);
    void pushLine(qint64 cells, qint64 rows);
    // Lays out the whole lines from `start` (a line's first byte) that hold
    // no tab and end in the same block, reading it in place, where most
    // lines are; returns where the line after the last of them starts.
    // Under the Any rule only (pane_layout_plain.cpp).
    qsizetype layOutPlainLines(const PaneText &text, qsizetype start);
    void finishScan();
    void finishTail();
    // Reads the line under scan on to its break, or to `size`; returns
    // where it stopped.
    qsizetype scanToBreak(const PaneText &text, qsizetype size);
    void advance(const PaneText &text, qsizetype end);
    void recordCheckpoints();
    void startTail(qsizetype start);
    void wrapTail(const PaneText &text);
    // Reads on in `wrap` (a line of `cells`) up to `end` or until `budget`
    // rows were found; marks it done when it reached `end`.
    void wrapOn(const PaneText &text, Wrap &wrap, qsizetype end, bool tabs, qint64 budget) const;
    qint64 rowsOf(const Wrap &wrap, qint64 cells) const;
    qint64 rowsAtCells(qint64 cells) const;

    // The pass after a width change (pane_layout_pass.cpp).
    bool isWaiting(qsizetype line) const;
    // Wraps `line` on, finding at most `budget` rows; returns how many it
    // found and what it read. `start` is the line's first byte, or -1 when
    // not known; once the line is done, the next line's (or -1).
    qint64 wrapLine(const PaneText &text, qsizetype line, qsizetype *start, qint64 budget,
                    qsizetype *readFrom, qsizetype *readTo);
    void addRows(qsizetype line, qint64 delta);
    void applyRowChanges();

    // Finding rows and positions (pane_layout_rows.cpp).
    const QList<qint64> *checkpointsOf(qsizetype line) const;
    // The laid-out part of `line`.
    void lineBounds(const PaneText &text, qsizetype line, qsizetype *start, qsizetype *end) const;
    bool lineHasTabs(qsizetype line, qsizetype start, qsizetype end) const;
    LineRows lineRows(const PaneText &text, qsizetype line) const;
    qint64 rowsOf(const LineRows &rows) const;
    // Row `index` of the line.
    Span spanOf(const PaneText &text, const LineRows &rows, qint64 index) const;
    // The row of the line that shows `pos`, and its span.
    qint64 rowOfPosition(const PaneText &text, const LineRows &rows, qsizetype pos,
                         Span *span) const;
    // The byte of `line` whose cells hold `cell`, and the cell it starts at.
    qsizetype byteAtCell(const PaneText &text, qsizetype line, qint64 cell, qint64 *byteCell) const;

    qsizetype m_checkpointStep;
    int m_columns = 80;
    ChunkedList<quint8, 18> m_cells;
    ChunkedList<LongLine, 10> m_longCells;
    // Rows before line k * kGroup, and the most cells of a line from there
    // (at most kLong; the last group's may be more than its lines hold).
    ChunkedList<qint64, 14> m_groupRows;
    ChunkedList<quint8, 12> m_groupWidest;
    qint64 m_rowCount = 0;
    // Per long line with tabs: cells before byte lineStart + i * m_checkpointStep.
    QHash<qsizetype, QList<qint64>> m_checkpoints;
    // How far the last line has been read; its checkpoints while it grows.
    Scan m_scan;

    // Rows at this width of lines wider than it, but the last: 0 while the
    // line waits, kManyRows when m_wraps holds them.
    SparseByteList m_rows;
    std::unordered_map<qsizetype, Wrap> m_wraps;
    // The last line's rows; done while it keeps up with appends.
    Wrap m_tail;
    // Lines but the last waiting for wrapPending(), and where it goes on.
    qsizetype m_waitingLines = 0;
    qsizetype m_passLine = 0;
    qsizetype m_passStart = -1;
    // Row count changes of one wrapPending() call, applied to the sums at
    // its end.
    QList<std::pair<qsizetype, qint64>> m_rowChanges;
};
