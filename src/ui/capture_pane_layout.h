#pragma once

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
// Only counts are kept per line (cells and a running sum of rows), so a new
// width re-wraps without reading the text, and an append reads only the new
// bytes. Lines holding tabs also keep the cell count at every
// `checkpointStep` bytes, so finding a row inside a long line reads at most
// that many bytes.
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
    qint64 lineCells(qsizetype line) const { return m_cells.at(line); }
    qint64 rowCount() const { return m_rowEnds.isEmpty() ? 0 : m_rowEnds.constLast(); }
    qint64 firstRowOfLine(qsizetype line) const { return line > 0 ? m_rowEnds.at(line - 1) : 0; }
    qint64 rowsOfLine(qsizetype line) const;
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
    struct Scan
    {
        qsizetype line = -1;
        qsizetype start = 0;
        qsizetype pos = 0;
        qint64 cells = 0;
        bool hasTab = false;
    };

    void layOutFrom(const PaneText &text, qsizetype firstLine);
    void advance(const char *data, qsizetype end);
    void recordCheckpoints();
    qint64 rowsFor(qint64 cells) const;
    // The laid-out part of `line`.
    void lineBounds(const PaneText &text, qsizetype line, qsizetype *start, qsizetype *end) const;
    // The byte of `line` whose cells hold `cell`, and the cell it starts at.
    qsizetype byteAtCell(const PaneText &text, qsizetype line, qint64 cell, qint64 *byteCell) const;

    qsizetype m_checkpointStep;
    int m_columns = 80;
    QList<qint64> m_cells;
    QList<qint64> m_rowEnds;
    // Per line with tabs: cells before byte lineStart + i * m_checkpointStep.
    QHash<qsizetype, QList<qint64>> m_checkpoints;
    // How far the last line has been read.
    Scan m_scan;
};
