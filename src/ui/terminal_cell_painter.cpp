#include "ui/terminal_cell_painter.h"

#include <QGlyphRun>
#include <QPainter>

#include <utility>

namespace {

// The usual shades of the 16 named terminal colours.
constexpr QRgb kNamedTerminalColors[16] = {
    0x000000, 0xcd0000, 0x00cd00, 0xcdcd00, 0x0000ee, 0xcd00cd, 0x00cdcd, 0xe5e5e5,
    0x7f7f7f, 0xff0000, 0x00ff00, 0xffff00, 0x5c5cff, 0xff00ff, 0x00ffff, 0xffffff,
};

} // namespace

TerminalCellPainter::TerminalCellPainter(const CapturePaneGlyphs &glyphs, QColor text, QColor base)
    : m_glyphs(glyphs)
    , m_text(std::move(text))
    , m_base(std::move(base))
{}

QColor TerminalCellPainter::colorOf(quint32 color, bool bold)
{
    if (!TerminalStyle::isPaletteColor(color))
        return QColor::fromRgb(QRgb(color & 0xffffff));
    int index = int(color & 0xff);
    if (bold && index < 8)
        index += 8;
    if (index < 16)
        return QColor::fromRgb(kNamedTerminalColors[index]);
    if (index < 232) {
        const int cube = index - 16;
        const auto level = [](int step) {
            return step == 0 ? 0 : 55 + step * 40;
        };
        return QColor(level(cube / 36), level(cube / 6 % 6), level(cube % 6));
    }
    const int grey = 8 + (index - 232) * 10;
    return QColor(grey, grey, grey);
}

void TerminalCellPainter::add(const QRectF &rect, char32_t character, const TerminalStyle &style,
                              int columns, const QColor *selectedText)
{
    const bool bold = style.has(TerminalStyle::Bold);
    QColor foreground =
        style.has(TerminalStyle::DefaultForeground) ? m_text : colorOf(style.foreground, bold);
    QColor background =
        style.has(TerminalStyle::DefaultBackground) ? QColor() : colorOf(style.background, false);
    if (style.has(TerminalStyle::Reverse)) {
        const QColor formerForeground = foreground;
        foreground = background.isValid() ? background : m_base;
        background = formerForeground;
    }
    if (selectedText) {
        foreground = *selectedText; // the selection's fill is already there
    } else if (background.isValid()) {
        m_fills.append(Fill{rect, background});
    }
    const qreal baseline = rect.top() + m_glyphs.ascent();
    if (style.has(TerminalStyle::Underline))
        m_strokes.append(
            Stroke{QLineF(rect.left(), baseline + 1.5, rect.right(), baseline + 1.5), foreground});
    if (style.has(TerminalStyle::Strike)) {
        const qreal middle = rect.top() + m_glyphs.lineHeight() / 2.0;
        m_strokes.append(Stroke{QLineF(rect.left(), middle, rect.right(), middle), foreground});
    }
    if (character == U' ')
        return;
    const QList<CapturePaneGlyphs::Piece> *pieces =
        character < 0x100 ? &m_glyphs.pieces(uchar(character)) : nullptr;
    if (!pieces || pieces->isEmpty() || columns != 1) {
        m_missing.append(Missing{rect, character, foreground});
        return;
    }
    for (const CapturePaneGlyphs::Piece &piece : *pieces) {
        Glyphs &glyphs = m_buckets[(quint64(piece.font) << 32) | foreground.rgba()];
        glyphs.indexes.append(piece.glyph);
        glyphs.positions.append(rect.topLeft() + piece.offset);
    }
}

void TerminalCellPainter::addCursor(const QRectF &rect)
{
    QColor shade = m_text;
    shade.setAlphaF(0.5); // the character under it stays readable
    m_fills.append(Fill{rect, shade});
}

void TerminalCellPainter::finish(QPainter &painter)
{
    for (const Fill &fill : std::as_const(m_fills))
        painter.fillRect(fill.rect, fill.color);
    for (auto bucket = m_buckets.cbegin(); bucket != m_buckets.cend(); ++bucket) {
        QGlyphRun run;
        run.setRawFont(m_glyphs.fonts().at(int(bucket.key() >> 32)));
        run.setGlyphIndexes(bucket->indexes);
        run.setPositions(bucket->positions);
        painter.setPen(QColor::fromRgba(QRgb(bucket.key() & 0xffffffff)));
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    for (const Missing &missing : std::as_const(m_missing)) {
        painter.setPen(missing.color);
        painter.drawText(missing.rect, Qt::AlignCenter, QString::fromUcs4(&missing.character, 1));
    }
    for (const Stroke &stroke : std::as_const(m_strokes)) {
        painter.setPen(stroke.color);
        painter.drawLine(stroke.line);
    }
}
