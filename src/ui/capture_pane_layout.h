#pragma once

#include "core/chunked_list.h"

#include <QChar>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

class PaneText;

// Wraps the lines of a PaneText into visual rows of a fixed number of
// character cells. One byte takes one cell, except a tab, which reaches to
// the next multiple of eight cells of its line.
//
// Only a cell count is kept per line, one byte for most lines, and a running
// sum of rows per group of lines; so a new width re-wraps without reading the
// text, an append reads only the new bytes and costs the same however many
// lines are held, and finding a line's first row adds up at most one group.
// Lines longer than `checkpointStep` bytes that hold tabs also keep the cell
// count at every `checkpointStep` bytes, so finding a row inside a long line
// reads at most that many bytes.
class CapturePaneLayout
{
public:
    static constexpr int kTabWidth = 8;

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

    explicit CapturePaneLayout(qsizetype checkpointStep = 4096);

    int columns() const { return m_columns; }
    // Re-wraps from the counts already held.
    void setColumns(int columns);

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
    qint64 rowsOfLine(qsizetype line) const { return rowsFor(lineCells(line)); }
    qsizetype lineOfRow(qint64 row) const;

    // The bytes shown on `row`, left to right.
    QList<Cell> rowCells(const PaneText &text, qint64 row) const;
    // The text position nearest to the cell boundary `column` of `row`.
    qsizetype positionAt(const PaneText &text, qint64 row, int column) const;
    // Where the byte at text position `pos` is shown; a position at a line's
    // end is just after its last cell.
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

    void layOutFrom(const PaneText &text, qsizetype firstLine);
    void truncate(qsizetype lines);
    void pushLine(qint64 cells);
    void finishScan();
    void advance(const PaneText &text, qsizetype end);
    void recordCheckpoints();
    // The tab checkpoints of `line`, or null (no tabs, or a short line).
    const QList<qint64> *checkpointsOf(qsizetype line) const;
    qint64 rowsFor(qint64 cells) const;
    // The laid-out part of `line`.
    void lineBounds(const PaneText &text, qsizetype line, qsizetype *start, qsizetype *end) const;
    // The byte of `line` whose cells hold `cell`, and the cell it starts at.
    qsizetype byteAtCell(const PaneText &text, qsizetype line, qint64 cell, qint64 *byteCell) const;

    qsizetype m_checkpointStep;
    int m_columns = 80;
    ChunkedList<quint8, 14> m_cells;
    ChunkedList<LongLine, 10> m_longCells;
    // Rows before line k * kGroup.
    ChunkedList<qint64, 10> m_groupRows;
    qint64 m_rowCount = 0;
    // Per long line with tabs: cells before byte lineStart + i * m_checkpointStep.
    QHash<qsizetype, QList<qint64>> m_checkpoints;
    // How far the last line has been read; its checkpoints while it grows.
    Scan m_scan;
};
