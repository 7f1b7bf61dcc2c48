#pragma once

#include "core/pane/terminal_style.h"
#include "ui/capture_pane_glyphs.h"

#include <QColor>
#include <QHash>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QRectF>

class QPainter;

// Paints the capture pane's cells that have Terminal format looks: their
// backgrounds at once, their glyphs gathered per font and colour and drawn
// in one go each by finish(), as the pane's own painting does.
//
// Colours: palette entries 0-15 are the usual terminal shades (bold
// brightens 0-7), 16-255 the 6x6x6 cube and the grey ramp; a default colour
// is the pane's own text or base colour, so a plain light or dark theme
// stays readable.
class TerminalCellPainter
{
public:
    TerminalCellPainter(const CapturePaneGlyphs &glyphs, QColor text, QColor base);

    // One cell (`columns` wide) at `rect` holding `character` as `style`
    // says; a selected cell keeps the selection's colours (`selectedText`).
    void add(const QRectF &rect, char32_t character, const TerminalStyle &style, int columns,
             const QColor *selectedText = nullptr);
    // A cursor over `rect`.
    void addCursor(const QRectF &rect);
    void finish(QPainter &painter);

    // The colour `color` (TerminalStyle's encoding) stands for.
    static QColor colorOf(quint32 color, bool bold);

private:
    struct Glyphs
    {
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    struct Missing
    {
        QRectF rect;
        char32_t character;
        QColor color;
    };
    struct Stroke
    {
        QLineF line;
        QColor color;
    };
    struct Fill
    {
        QRectF rect;
        QColor color;
    };

    const CapturePaneGlyphs &m_glyphs;
    QColor m_text;
    QColor m_base;
    QList<Fill> m_fills;
    QHash<quint64, Glyphs> m_buckets; // by font index and colour
    QList<Missing> m_missing;
    QList<Stroke> m_strokes;
};
