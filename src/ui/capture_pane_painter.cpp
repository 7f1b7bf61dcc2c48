#include "ui/capture_pane_painter.h"

#include "core/pane/pane_text.h"
#include "core/pane/terminal_screen.h"

#include <QGlyphRun>
#include <QPainter>

CapturePanePainter::Colors CapturePanePainter::Colors::of(const QPalette &palette,
                                                          QPalette::ColorGroup group)
{
    return Colors{palette.color(group, QPalette::Base),
                  palette.color(group, QPalette::Text),
                  palette.color(group, QPalette::PlaceholderText),
                  palette.color(group, QPalette::Highlight),
                  palette.color(group, QPalette::HighlightedText),
                  palette.color(group, QPalette::Link)};
}

CapturePanePainter::CapturePanePainter(QPainter &painter, const CapturePaneGlyphs &glyphs,
                                       const Colors &colors, const Source &source, qreal textLeft,
                                       qreal gutterWidth)
    : m_painter(painter)
    , m_glyphs(glyphs)
    , m_colors(colors)
    , m_source(source)
    , m_textLeft(textLeft)
    , m_gutterWidth(gutterWidth)
    , m_styled(!source.text.styles().isEmpty())
    , m_terminalCells(glyphs, colors.text, colors.base)
    , m_buckets(glyphs.fonts().size() * InkCount)
{}

QRectF CapturePanePainter::cellRect(int column, int y, int columns) const
{
    return QRectF(cellX(column), y, columns * m_glyphs.cellWidth(), m_glyphs.lineHeight());
}

bool CapturePanePainter::isSelected(qsizetype pos) const
{
    return pos >= m_source.selectionStart && pos < m_source.selectionEnd;
}

std::pair<int, int> CapturePanePainter::selectedColumns(qint64 row,
                                                        const QList<PaneLayout::Cell> &cells) const
{
    int from = -1;
    int to = -1;
    for (const PaneLayout::Cell &cell : cells) {
        if (isSelected(cell.pos)) {
            if (from < 0)
                from = cell.column;
            to = cell.column + cell.width;
        }
    }
    const PaneLayout &layout = m_source.layout;
    const PaneText &text = m_source.text;
    const qsizetype line = layout.lineOfRow(row);
    const bool lastRowOfLine = row == layout.firstRowOfLine(line) + layout.rowsOfLine(line) - 1;
    if (!lastRowOfLine || line + 1 >= text.lineCount() || !isSelected(text.lineEnd(line)))
        return {from, to};
    const int endColumn = layout.cellOfPosition(text, text.lineEnd(line)).column;
    if (endColumn < layout.columns()) {
        if (from < 0)
            from = endColumn;
        to = endColumn + 1;
    }
    return {from, to};
}

void CapturePanePainter::addTextRow(qint64 row, int y)
{
    const QList<PaneLayout::Cell> cells = m_source.layout.rowCells(m_source.text, row);
    const auto [from, to] = selectedColumns(row, cells);
    if (from >= 0)
        m_painter.fillRect(cellRect(from, y, to - from), m_colors.highlight);
    for (const PaneLayout::Cell &cell : cells)
        addByteCell(cell.pos, cell.column, y);
}

void CapturePanePainter::addByteCell(qsizetype pos, int column, int y)
{
    const PaneText &text = m_source.text;
    const uchar byte = uchar(text.at(pos));
    if (byte == '\t')
        return;
    bool standIn = false;
    const QChar shown = PaneLayout::displayChar(byte, &standIn);
    const Ink ink = isSelected(pos)                   ? Selected
                    : text.echoRanges().contains(pos) ? Echo
                    : standIn                         ? StandIn
                                                      : Plain;
    if (m_styled) {
        const TerminalStyle style = text.styles().styleAt(pos);
        const char32_t stoodInFor = text.styles().characterAt(pos);
        if (!style.isPlain() || stoodInFor != 0) {
            m_terminalCells.add(cellRect(column, y), stoodInFor != 0 ? stoodInFor : char32_t(byte),
                                style, 1, ink == Selected ? &m_colors.highlightedText : nullptr);
            return;
        }
    }
    const QList<CapturePaneGlyphs::Piece> &pieces = m_glyphs.pieces(byte);
    if (pieces.isEmpty()) {
        m_missing.append(Missing{cellRect(column, y), shown, ink});
        return;
    }
    for (const CapturePaneGlyphs::Piece &piece : pieces) {
        Glyphs &glyphs = m_buckets[piece.font * InkCount + ink];
        glyphs.indexes.append(piece.glyph);
        glyphs.positions.append(QPointF(cellX(column), y) + piece.offset);
    }
}

void CapturePanePainter::addScreenRow(const TerminalScreen &screen, int screenRow, int y)
{
    const bool cursorHere = screen.isCursorVisible() && screen.cursorRow() == screenRow;
    for (int column = 0; column < screen.columns(); ++column) {
        const TerminalCell cell = screen.cell(screenRow, column);
        if (cell.width == 0)
            continue; // the right half of a double-width character
        const QRectF rect = cellRect(column, y, cell.width);
        m_terminalCells.add(rect, cell.character, cell.style, cell.width);
        if (cursorHere && screen.cursorColumn() == column)
            m_terminalCells.addCursor(rect);
    }
    if (cursorHere && screen.cursorColumn() >= screen.columns())
        m_terminalCells.addCursor(cellRect(screen.columns() - 1, y));
}

void CapturePanePainter::addTime(int y, const QString &time)
{
    m_times.append(Time{y, time});
}

void CapturePanePainter::finish()
{
    m_terminalCells.finish(m_painter);
    drawGlyphs();
    drawMissing();
    drawTimes();
}

void CapturePanePainter::drawGlyphs()
{
    const QColor inks[InkCount] = {m_colors.text, m_colors.standIn, m_colors.highlightedText,
                                   m_colors.echo};
    for (qsizetype b = 0; b < m_buckets.size(); ++b) {
        const Glyphs &glyphs = m_buckets.at(b);
        if (glyphs.indexes.isEmpty())
            continue;
        QGlyphRun run;
        run.setRawFont(m_glyphs.fonts().at(b / InkCount));
        run.setGlyphIndexes(glyphs.indexes);
        run.setPositions(glyphs.positions);
        m_painter.setPen(inks[b % InkCount]);
        m_painter.drawGlyphRun(QPointF(0, 0), run);
    }
}

void CapturePanePainter::drawMissing()
{
    const QColor inks[InkCount] = {m_colors.text, m_colors.standIn, m_colors.highlightedText,
                                   m_colors.echo};
    for (const Missing &m : std::as_const(m_missing)) {
        m_painter.setPen(inks[m.ink]);
        m_painter.drawText(m.rect, Qt::AlignCenter, QString(m.shown));
    }
}

void CapturePanePainter::drawTimes()
{
    if (m_times.isEmpty())
        return;
    // Digits and separators only: the font's own layout is enough. The
    // gutter scrolls sideways with the text.
    const qreal gutterLeft = cellX(0) - m_gutterWidth;
    const qreal gutterRight = cellX(0) - m_glyphs.cellWidth();
    m_painter.setPen(m_colors.standIn);
    for (const Time &time : std::as_const(m_times))
        m_painter.drawText(
            QRectF(gutterLeft, time.y, gutterRight - gutterLeft, m_glyphs.lineHeight()),
            Qt::AlignRight | Qt::AlignVCenter, time.text);
}
