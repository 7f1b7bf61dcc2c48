#pragma once

#include "core/pane/pane_layout.h"
#include "ui/capture_pane_glyphs.h"
#include "ui/terminal_cell_painter.h"

#include <QColor>
#include <QList>
#include <QPalette>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <utility>

class PaneText;
class QPainter;
class TerminalScreen;

// Paints one frame of a capture pane: the rows in view, each row added in
// turn, then drawn at once by finish(). Glyphs are gathered per font and
// colour over all rows and drawn in one go each; bytes without glyphs go to
// drawText one by one; cells with Terminal format looks go to a
// TerminalCellPainter. It holds only what one frame needs and knows nothing
// of the widget: the pane hands it the text, the layout, the selection and
// where the text's first column starts.
class CapturePanePainter
{
public:
    // The colours of one frame, from the pane's palette in its state.
    struct Colors
    {
        QColor base;
        QColor text;
        // Stand-in glyphs differ from the bytes that really are those
        // characters; the times' gutter uses it too.
        QColor standIn;
        QColor highlight;
        QColor highlightedText;
        // Local echo (what was sent) in the colour of links.
        QColor echo;

        static Colors of(const QPalette &palette, QPalette::ColorGroup group);
    };
    // What the rows of text are cut from, and the selected byte range.
    struct Source
    {
        const PaneText &text;
        const PaneLayout &layout;
        qsizetype selectionStart = 0;
        qsizetype selectionEnd = 0;
    };

    // `textLeft`: the viewport x of column 0 (past the margin and the
    // gutter, as scrolled sideways); `gutterWidth`: 0 while times are hidden.
    CapturePanePainter(QPainter &painter, const CapturePaneGlyphs &glyphs, const Colors &colors,
                       const Source &source, qreal textLeft, qreal gutterWidth);

    // Row `row` of the laid-out text at viewport height `y`; its selection
    // is filled at once.
    void addTextRow(qint64 row, int y);
    // Row `screenRow` of a Terminal format screen, with its cursor.
    void addScreenRow(const TerminalScreen &screen, int screenRow, int y);
    // A line's time in the gutter beside the row at `y`.
    void addTime(int y, const QString &time);
    void finish();

private:
    enum Ink
    {
        Plain,
        StandIn,
        Selected,
        Echo,
        InkCount
    };
    struct Glyphs
    {
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    struct Missing
    {
        QRectF rect;
        QChar shown;
        Ink ink;
    };
    struct Time
    {
        int y;
        QString text;
    };

    qreal cellX(int column) const { return m_textLeft + column * m_glyphs.cellWidth(); }
    QRectF cellRect(int column, int y, int columns = 1) const;
    bool isSelected(qsizetype pos) const;
    // The selected cells of a row, side by side, as [from, to) columns
    // (from < 0: none); a selected line break is one more cell past the end.
    std::pair<int, int> selectedColumns(qint64 row, const QList<PaneLayout::Cell> &cells) const;
    // A byte's cell: Terminal looks, a glyph run, or drawText.
    void addByteCell(qsizetype pos, int column, int y);
    void drawGlyphs();
    void drawMissing();
    void drawTimes();

    QPainter &m_painter;
    const CapturePaneGlyphs &m_glyphs;
    Colors m_colors;
    Source m_source;
    qreal m_textLeft;
    qreal m_gutterWidth;
    bool m_styled;
    TerminalCellPainter m_terminalCells;
    QList<Glyphs> m_buckets;
    QList<Missing> m_missing;
    QList<Time> m_times;
};
