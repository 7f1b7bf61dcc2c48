#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>

#include <array>

// How every byte value is drawn in a capture pane's font, found once per
// font so that painting needs no text shaping: glyphs placed relative to a
// cell's top left. The first raw font is the pane's own; the others stand in
// for characters it lacks (control pictures, for instance). A byte with no
// pieces is left to QPainter::drawText.
class CapturePaneGlyphs
{
public:
    struct Piece
    {
        int font = 0; // index into fonts()
        quint32 glyph = 0;
        QPointF offset;
    };

    void rebuild(const QFont &font);

    qreal cellWidth() const { return m_cellWidth; }
    int lineHeight() const { return m_lineHeight; }
    int ascent() const { return m_ascent; }
    const QList<QRawFont> &fonts() const { return m_rawFonts; }
    const QList<Piece> &pieces(uchar byte) const { return m_pieces[byte]; }

private:
    void findGlyphs(const QFont &font);
    int fontIndex(const QRawFont &font);

    qreal m_cellWidth = 8;
    int m_lineHeight = 16;
    int m_ascent = 12;
    QList<QRawFont> m_rawFonts;
    std::array<QList<Piece>, 256> m_pieces;
};
