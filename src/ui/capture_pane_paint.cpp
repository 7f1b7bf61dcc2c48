// The capture pane's painting: the rows in view, the selection, and the
// glyphs gathered per font and colour.
#include "ui/capture_pane.h"

#include "core/pane/line_time_text.h"
#include "core/pane/pane_text.h"
#include "core/pane/terminal_screen.h"
#include "ui/terminal_cell_painter.h"

#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

qreal CapturePane::cellX(int column) const
{
    return kMargin + gutterWidth() + column * m_glyphs.cellWidth() - horizontalScrollBar()->value();
}

qreal CapturePane::gutterWidth() const
{
    const int characters = LineTimeText::width(m_times.form);
    // One blank cell between the times and the text.
    return characters == 0 ? 0 : (characters + 1) * m_glyphs.cellWidth();
}

void CapturePane::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QPalette::ColorGroup group = !isEnabled() || m_inactive ? QPalette::Disabled
                                       : isActiveWindow()         ? QPalette::Active
                                                                  : QPalette::Inactive;
    const QPalette &pal = palette();
    painter.fillRect(event->rect(), pal.color(group, QPalette::Base));
    if (!m_model || (m_layout.rowCount() == 0 && !m_terminal))
        return;

    const QColor textColor = pal.color(group, QPalette::Text);
    // Stand-in glyphs differ from the bytes that really are those characters.
    const QColor standInColor = pal.color(group, QPalette::PlaceholderText);
    const QColor highlight = pal.color(group, QPalette::Highlight);
    const QColor highlightedText = pal.color(group, QPalette::HighlightedText);
    // Local echo (what was sent) in the colour of links, apart from what came in.
    const QColor echoColor = pal.color(group, QPalette::Link);
    const qsizetype selStart = selectionStart();
    const qsizetype selEnd = selectionEnd();
    const PaneText &text = *m_model;
    // Cells with Terminal format looks, and the terminal's screen.
    TerminalCellPainter terminalCells(m_glyphs, textColor, pal.color(group, QPalette::Base));
    const bool styled = !text.styles().isEmpty();
    const int historyRows = historyRowCount();
    // Glyphs are gathered per font and colour over all rows and drawn in one
    // go each.
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
    QList<Glyphs> buckets(m_glyphs.fonts().size() * InkCount);
    // Bytes without glyphs are left to drawText, one by one.
    struct Missing
    {
        QRectF rect;
        QChar shown;
        Ink ink;
    };
    QList<Missing> missing;
    // The times, one run of text per line start in view.
    struct Time
    {
        int y;
        QString text;
    };
    QList<Time> times;

    const int first = firstVisibleRow();
    const int top = event->rect().top() / m_glyphs.lineHeight();
    const int bottom = event->rect().bottom() / m_glyphs.lineHeight();
    for (int i = top; i <= bottom; ++i) {
        const qint64 row = qint64(first) + i;
        const int y = i * m_glyphs.lineHeight();
        if (m_terminal && row >= historyRows) {
            if (row - historyRows < m_terminal->rows())
                paintTerminalRow(terminalCells, y, int(row - historyRows));
            continue;
        }
        if (row >= m_layout.rowCount())
            break;
        if (m_times.form != LineTimeForm::Off) {
            const QString time = gutterText(int(row));
            if (!time.isEmpty())
                times.append(Time{y, time});
        }
        const QList<PaneLayout::Cell> cells = m_layout.rowCells(*m_model, row);

        // The selected cells of a row are side by side; a selected line
        // break shows as one more cell past the line's end.
        int selectedFrom = -1;
        int selectedTo = -1;
        for (const PaneLayout::Cell &cell : cells) {
            if (cell.pos >= selStart && cell.pos < selEnd) {
                if (selectedFrom < 0)
                    selectedFrom = cell.column;
                selectedTo = cell.column + cell.width;
            }
        }
        const qsizetype line = m_layout.lineOfRow(row);
        if (row == m_layout.firstRowOfLine(line) + m_layout.rowsOfLine(line) - 1 &&
            line + 1 < m_model->lineCount()) {
            const qsizetype lineEnd = m_model->lineEnd(line);
            if (lineEnd >= selStart && lineEnd < selEnd) {
                const int endColumn = m_layout.cellOfPosition(text, lineEnd).column;
                if (endColumn < m_layout.columns()) {
                    if (selectedFrom < 0)
                        selectedFrom = endColumn;
                    selectedTo = endColumn + 1;
                }
            }
        }
        if (selectedFrom >= 0)
            painter.fillRect(QRectF(cellX(selectedFrom), y,
                                    (selectedTo - selectedFrom) * m_glyphs.cellWidth(),
                                    m_glyphs.lineHeight()),
                             highlight);

        for (const PaneLayout::Cell &cell : cells) {
            const uchar byte = uchar(text.at(cell.pos));
            if (byte == '\t')
                continue;
            bool standIn = false;
            const QChar shown = PaneLayout::displayChar(byte, &standIn);
            const Ink ink = cell.pos >= selStart && cell.pos < selEnd ? Selected
                            : text.echoRanges().contains(cell.pos)    ? Echo
                            : standIn                                 ? StandIn
                                                                      : Plain;
            if (styled) {
                const TerminalStyle style = text.styles().styleAt(cell.pos);
                const char32_t stoodInFor = text.styles().characterAt(cell.pos);
                if (!style.isPlain() || stoodInFor != 0) {
                    terminalCells.add(
                        QRectF(cellX(cell.column), y, m_glyphs.cellWidth(), m_glyphs.lineHeight()),
                        stoodInFor != 0 ? stoodInFor : char32_t(byte), style, 1,
                        ink == Selected ? &highlightedText : nullptr);
                    continue;
                }
            }
            const QList<CapturePaneGlyphs::Piece> &pieces = m_glyphs.pieces(byte);
            if (pieces.isEmpty()) {
                missing.append(Missing{
                    QRectF(cellX(cell.column), y, m_glyphs.cellWidth(), m_glyphs.lineHeight()),
                    shown, ink});
                continue;
            }
            for (const CapturePaneGlyphs::Piece &piece : pieces) {
                Glyphs &glyphs = buckets[piece.font * InkCount + ink];
                glyphs.indexes.append(piece.glyph);
                glyphs.positions.append(QPointF(cellX(cell.column), y) + piece.offset);
            }
        }
    }

    terminalCells.finish(painter);
    const QColor inks[InkCount] = {textColor, standInColor, highlightedText, echoColor};
    for (qsizetype b = 0; b < buckets.size(); ++b) {
        const Glyphs &glyphs = buckets.at(b);
        if (glyphs.indexes.isEmpty())
            continue;
        QGlyphRun run;
        run.setRawFont(m_glyphs.fonts().at(b / InkCount));
        run.setGlyphIndexes(glyphs.indexes);
        run.setPositions(glyphs.positions);
        painter.setPen(inks[b % InkCount]);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    painter.setFont(font());
    for (const Missing &m : missing) {
        painter.setPen(inks[m.ink]);
        painter.drawText(m.rect, Qt::AlignCenter, QString(m.shown));
    }
    if (!times.isEmpty()) {
        // Digits and separators only: the font's own layout is enough.
        // The gutter scrolls sideways with the text.
        const qreal gutterLeft = cellX(0) - gutterWidth();
        const qreal gutterRight = cellX(0) - m_glyphs.cellWidth();
        painter.setPen(standInColor);
        for (const Time &time : std::as_const(times))
            painter.drawText(
                QRectF(gutterLeft, time.y, gutterRight - gutterLeft, m_glyphs.lineHeight()),
                Qt::AlignRight | Qt::AlignVCenter, time.text);
    }
}
