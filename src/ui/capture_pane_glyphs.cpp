#include "ui/capture_pane_glyphs.h"

#include "core/pane/pane_layout.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextLayout>

#include <algorithm>

namespace {

// The short names the control pictures show.
QString controlName(int byte)
{
    static const char *const names[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                        "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                        "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    if (byte >= 0 && byte < 0x20)
        return QLatin1String(names[byte]);
    if (byte == 0x7F)
        return QStringLiteral("DEL");
    if (byte >= 0x80 && byte < 0xA0) // C1 controls: their code in hex
        return QString::number(byte, 16).toUpper();
    return {};
}

} // namespace

void CapturePaneGlyphs::rebuild(const QFont &font)
{
    const QFontMetricsF metricsF(font);
    m_cellWidth = metricsF.horizontalAdvance(QLatin1Char('M'));
    if (m_cellWidth <= 0)
        m_cellWidth = 8;
    const QFontMetrics metrics(font);
    m_lineHeight = std::max(1, metrics.lineSpacing());
    m_ascent = metrics.ascent();

    findGlyphs(font);
}

int CapturePaneGlyphs::fontIndex(const QRawFont &font)
{
    qsizetype index = m_rawFonts.indexOf(font);
    if (index < 0) {
        index = m_rawFonts.size();
        m_rawFonts.append(font);
    }
    return int(index);
}

void CapturePaneGlyphs::findGlyphs(const QFont &font)
{
    m_rawFonts = {QRawFont::fromFont(font)};
    const QRawFont own = m_rawFonts.constFirst();
    // For control pictures no font has: the code's letters, small and
    // stacked from top left to bottom right, as such pictures are drawn.
    QFont small = font;
    small.setPixelSize(std::max(4, qRound(m_lineHeight * 0.42)));
    const QRawFont smallRaw = QRawFont::fromFont(small);
    const QFontMetricsF smallMetrics(small);

    for (int byte = 0; byte < 256; ++byte) {
        QList<Piece> &pieces = m_pieces[byte];
        pieces.clear();
        if (byte == '\t')
            continue;
        const QString shown(PaneLayout::displayChar(uchar(byte)));
        // C1 controls have no glyph; fonts only offer a box for them.
        const bool c1 = byte >= 0x80 && byte < 0xA0;
        if (!c1 && own.isValid() && own.supportsCharacter(shown.at(0))) {
            const QList<quint32> glyphs = own.glyphIndexesForString(shown);
            if (!glyphs.isEmpty() && glyphs.first() != 0) {
                pieces.append(Piece{0, glyphs.first(), QPointF(0, m_ascent)});
                continue;
            }
        }
        // Another font may have it (control pictures are missing from many
        // fixed-pitch fonts): centred in the cell.
        QTextLayout layout(c1 ? QString() : shown, font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (!runs.isEmpty() && !runs.first().glyphIndexes().isEmpty() &&
            runs.first().glyphIndexes().first() != 0) {
            const QRawFont raw = runs.first().rawFont();
            const quint32 glyph = runs.first().glyphIndexes().first();
            const QList<QPointF> advances = raw.advancesForGlyphIndexes(QList<quint32>{glyph});
            const qreal advance = advances.isEmpty() ? m_cellWidth : advances.first().x();
            pieces.append(
                Piece{fontIndex(raw), glyph, QPointF((m_cellWidth - advance) / 2, m_ascent)});
            continue;
        }
        const QString letters = controlName(byte);
        if (letters.isEmpty() || !smallRaw.isValid())
            continue;
        const QList<quint32> glyphs = smallRaw.glyphIndexesForString(letters);
        if (glyphs.size() != letters.size() || glyphs.contains(0u))
            continue;
        const int smallFont = fontIndex(smallRaw);
        const qreal letterWidth = smallMetrics.horizontalAdvance(QLatin1Char('M'));
        const qreal steps = std::max<qsizetype>(1, letters.size() - 1);
        const qreal dx = (m_cellWidth - letterWidth) / steps;
        const qreal dy = (m_lineHeight - smallMetrics.height()) / steps;
        for (qsizetype i = 0; i < letters.size(); ++i)
            pieces.append(
                Piece{smallFont, glyphs.at(i), QPointF(i * dx, smallMetrics.ascent() + i * dy)});
    }
}
