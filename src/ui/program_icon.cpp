#include "ui/program_icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor background(0x1e, 0x26, 0x30);
const QColor rim(0x3a, 0x46, 0x55);
const QColor green(0x3d, 0xdc, 0x84);
const QColor amber(0xff, 0xb3, 0x00);

// A trace across the square: a square wave for channel 1, a ramp-and-drop
// for channel 2, so the two read as different signals even when small.
QPainterPath trace(const QRectF &band, bool squareWave)
{
    QPainterPath path;
    const double x0 = band.left();
    const double w = band.width();
    const double high = band.top();
    const double low = band.bottom();
    if (squareWave) {
        path.moveTo(x0, low);
        path.lineTo(x0 + w * 0.2, low);
        path.lineTo(x0 + w * 0.2, high);
        path.lineTo(x0 + w * 0.45, high);
        path.lineTo(x0 + w * 0.45, low);
        path.lineTo(x0 + w * 0.7, low);
        path.lineTo(x0 + w * 0.7, high);
        path.lineTo(x0 + w, high);
    } else {
        path.moveTo(x0, low);
        path.lineTo(x0 + w * 0.4, high);
        path.lineTo(x0 + w * 0.4, low);
        path.lineTo(x0 + w * 0.8, high);
        path.lineTo(x0 + w * 0.8, low);
        path.lineTo(x0 + w, low);
    }
    return path;
}

class ProgramIconEngine : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const double side = qMin(rect.width(), rect.height());
        const QRectF square(rect.x() + (rect.width() - side) / 2.0,
                            rect.y() + (rect.height() - side) / 2.0, side, side);
        const double unit = side / 32.0; // the design grid is 32 x 32

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF body = square.adjusted(unit, unit, -unit, -unit);
        painter->setPen(QPen(rim, qMax(1.0, unit)));
        painter->setBrush(background);
        painter->drawRoundedRect(body, 6 * unit, 6 * unit);

        const bool disabled = mode == QIcon::Disabled;
        const double inset = 6 * unit;
        const double bandWidth = body.width() - 2 * inset;
        const QRectF upper(body.left() + inset, body.top() + 6 * unit, bandWidth, 7 * unit);
        const QRectF lower(body.left() + inset, body.top() + 17 * unit, bandWidth, 7 * unit);
        QPen pen(green, qMax(1.0, 2.2 * unit), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter->setBrush(Qt::NoBrush);
        pen.setColor(disabled ? QColor(Qt::gray) : green);
        painter->setPen(pen);
        painter->drawPath(trace(upper, true));
        pen.setColor(disabled ? QColor(Qt::darkGray) : amber);
        painter->setPen(pen);
        painter->drawPath(trace(lower, false));
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(24, 24),   QSize(32, 32),  QSize(48, 48),
                QSize(64, 64), QSize(128, 128), QSize(256, 256)};
    }

    QIconEngine *clone() const override { return new ProgramIconEngine; }
    QString key() const override { return QStringLiteral("VarnokTermProgramIcon"); }
};

} // namespace

QIcon programIcon()
{
    return QIcon(new ProgramIconEngine);
}
