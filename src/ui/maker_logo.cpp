#include "ui/maker_logo.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

QPixmap makerLogo()
{
    const QSize size(138, 646);
    QPixmap logo(size);
    logo.fill(Qt::white);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // Turned a quarter to the left, the text's width runs up the picture.
    painter.translate(0, size.height());
    painter.rotate(-90);
    const QRectF box(24, 8, size.height() - 48, size.width() - 16);

    QFont font(QStringLiteral("Times New Roman"));
    font.setBold(true);
    font.setPixelSize(100);
    font.setLetterSpacing(QFont::PercentageSpacing, 110);
    const QString word = QStringLiteral("VARNOK");
    // Scale the letters so the word fills the long side.
    const qreal width = QFontMetricsF(font).horizontalAdvance(word);
    font.setPixelSize(qMax(10, int(100 * box.width() / width)));
    font.setPixelSize(qMin(font.pixelSize(), int(box.height() * 0.9)));
    painter.setFont(font);
    painter.setPen(QColor(0xc0, 0x10, 0x18));
    painter.drawText(box, Qt::AlignCenter, word);

    painter.setPen(QPen(QColor(0xc0, 0x10, 0x18), 4));
    painter.drawLine(QPointF(box.left(), box.bottom()), QPointF(box.right(), box.bottom()));
    return logo;
}
