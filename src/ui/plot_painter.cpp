#include "ui/plot_painter.h"

#include "core/plot/plot_store.h"
#include "core/plot/plot_ticks.h"

#include <QDateTime>
#include <QPainter>

#include <cmath>

PlotPainter::PlotPainter(QPainter &painter, const QPalette &palette, const QFontMetrics &metrics,
                         const Frame &frame)
    : m_painter(painter)
    , m_palette(palette)
    , m_metrics(metrics)
    , m_frame(frame)
    , m_line(metrics.height())
{}

QColor PlotPainter::seriesColor(int index)
{
    static const QColor colors[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                    QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                    QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                    QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f),
                                    QColor(0xbc, 0xbd, 0x22), QColor(0x17, 0xbe, 0xcf)};
    return colors[index % int(std::size(colors))];
}

QString PlotPainter::seriesTitle(const PlotSeries &series)
{
    const QString name = QString::fromUtf8(series.name());
    return series.unit().isEmpty()
               ? name
               : QStringLiteral("%1 [%2]").arg(name, QString::fromUtf8(series.unit()));
}

bool PlotPainter::paint(const QSize &size, QRectF area)
{
    m_painter.fillRect(QRect(QPoint(0, 0), size), m_palette.color(QPalette::Base));
    const double legendBottom = paintLegend(size);
    area.setTop(std::max(area.top(), legendBottom + 4));
    if (area.width() < 10 || area.height() < 10)
        return false;
    m_area = area;
    readExtents();
    fitValues();
    m_painter.setPen(m_palette.color(QPalette::Text));
    m_painter.drawRect(m_area);
    paintValueMarks();
    paintTimeMarks();
    paintLines();
    paintReadout();
    paintNotes();
    return true;
}

double PlotPainter::paintLegend(const QSize &size)
{
    const PlotStore &store = m_frame.store;
    double x = 8;
    double y = 4;
    for (int i = 0; i < store.seriesCount(); ++i) {
        const PlotSeries &series = store.series(i);
        const bool shown = !m_frame.hidden.contains(series.name());
        const QString text = QStringLiteral("%1 = %2").arg(
            seriesTitle(series), QString::number(series.lastValue(), 'g', 6));
        const double width = 14 + m_metrics.horizontalAdvance(text) + 12;
        if (x + width > size.width() && x > 8) {
            x = 8;
            y += m_line;
        }
        m_painter.fillRect(QRectF(x, y + m_line / 2.0 - 4, 10, 8),
                           shown ? seriesColor(i) : m_palette.color(QPalette::Mid));
        m_painter.setPen(m_palette.color(shown ? QPalette::Text : QPalette::PlaceholderText));
        m_painter.drawText(QRectF(x + 14, y, width - 14, m_line), Qt::AlignVCenter, text);
        m_legend.append({QRectF(x, y, width, m_line), series.name()});
        x += width;
    }
    return y + m_line;
}

void PlotPainter::readExtents()
{
    const PlotStore &store = m_frame.store;
    const qsizetype columns = qsizetype(m_area.width());
    for (int i = 0; i < store.seriesCount(); ++i) {
        const PlotSeries &series = store.series(i);
        if (m_frame.hidden.contains(series.name()))
            continue;
        QList<PlotExtent> extents(columns);
        series.extents(m_frame.span.first, m_frame.span.second, columns, extents.data());
        m_columnsPainted += columns;
        m_drawn.append({i, std::move(extents)});
    }
}

void PlotPainter::fitValues()
{
    double low = INFINITY;
    double high = -INFINITY;
    for (const auto &drawn : std::as_const(m_drawn)) {
        for (const PlotExtent &extent : drawn.second) {
            if (extent.hasValue() && std::isfinite(extent.low) && std::isfinite(extent.high)) {
                low = std::min(low, extent.low);
                high = std::max(high, extent.high);
            }
        }
    }
    if (!(low <= high)) {
        low = 0;
        high = 1;
    } else {
        const double margin =
            low == high ? (low == 0 ? 1 : std::fabs(low) * 0.1) : (high - low) * 0.05;
        low -= margin;
        high += margin;
    }
    m_low = low;
    m_high = high;
}

double PlotPainter::yOf(double value) const
{
    const double clamped = std::clamp(value, m_low, m_high); // an inf at the edge
    return m_area.bottom() - (clamped - m_low) / (m_high - m_low) * m_area.height();
}

double PlotPainter::xOfTime(qint64 ms) const
{
    const auto [t0, t1] = m_frame.span;
    return m_area.left() + double(ms - t0) / double(std::max<qint64>(1, t1 - t0)) * m_area.width();
}

void PlotPainter::paintValueMarks()
{
    const QColor grid = m_palette.color(QPalette::Midlight);
    const QList<double> values =
        PlotTicks::values(m_low, m_high, std::max(2, int(m_area.height()) / (2 * m_line)));
    const double valueStep = values.size() > 1 ? values.at(1) - values.at(0) : 1;
    for (const double value : values) {
        const double at = yOf(value);
        m_painter.setPen(grid);
        m_painter.drawLine(QPointF(m_area.left(), at), QPointF(m_area.right(), at));
        m_painter.setPen(m_palette.color(QPalette::Text));
        m_painter.drawText(QRectF(0, at - m_line / 2.0, m_area.left() - 4, m_line),
                           Qt::AlignRight | Qt::AlignVCenter,
                           PlotTicks::valueText(value, valueStep));
    }
}

void PlotPainter::paintTimeMarks()
{
    const QColor grid = m_palette.color(QPalette::Midlight);
    const int labelWidth = m_metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16;
    const PlotTicks::TimeMarks times = PlotTicks::times(
        m_frame.span.first, m_frame.span.second, std::max(2, int(m_area.width()) / labelWidth));
    for (const qint64 ms : times.at) {
        const double at = xOfTime(ms);
        m_painter.setPen(grid);
        m_painter.drawLine(QPointF(at, m_area.top()), QPointF(at, m_area.bottom()));
        m_painter.setPen(m_palette.color(QPalette::Text));
        m_painter.drawText(QRectF(at - labelWidth / 2.0, m_area.bottom() + 2, labelWidth, m_line),
                           Qt::AlignCenter, PlotTicks::timeText(ms, times.stepMs));
    }
}

void PlotPainter::paintLines()
{
    // A column's span from low to high, joined to the next column's first
    // value; a nan breaks the line.
    m_painter.save();
    m_painter.setClipRect(m_area);
    for (const auto &[index, extents] : std::as_const(m_drawn)) {
        QList<QLineF> lines;
        lines.reserve(2 * extents.size());
        std::optional<QPointF> previous;
        for (qsizetype column = 0; column < extents.size(); ++column) {
            const PlotExtent &extent = extents.at(column);
            if (extent.count == 0)
                continue;
            if (!extent.hasValue()) {
                previous.reset();
                continue;
            }
            const double at = m_area.left() + double(column) + 0.5;
            if (previous && !std::isnan(extent.first))
                lines.append(QLineF(*previous, QPointF(at, yOf(extent.first))));
            lines.append(QLineF(at, yOf(extent.low), at, yOf(extent.high)));
            if (std::isnan(extent.last))
                previous.reset();
            else
                previous = QPointF(at, yOf(extent.last));
        }
        // Cosmetic: the raster engine's fast lines.
        m_painter.setPen(QPen(seriesColor(index), 0));
        m_painter.drawLines(lines);
    }
    m_painter.restore();
}

void PlotPainter::paintReadout()
{
    const std::optional<QPointF> &pointer = m_frame.pointer;
    if (!pointer || !m_area.contains(*pointer))
        return;
    m_painter.setPen(QPen(m_palette.color(QPalette::Text), 1, Qt::DashLine));
    m_painter.drawLine(QPointF(pointer->x(), m_area.top()), QPointF(pointer->x(), m_area.bottom()));
    m_painter.drawLine(QPointF(m_area.left(), pointer->y()), QPointF(m_area.right(), pointer->y()));
    const auto [t0, t1] = m_frame.span;
    const qint64 at =
        t0 + qint64((pointer->x() - m_area.left()) / m_area.width() * double(t1 - t0));
    QStringList readout{
        QDateTime::fromMSecsSinceEpoch(at).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))};
    for (const auto &drawn : std::as_const(m_drawn)) {
        const PlotSeries &series = m_frame.store.series(drawn.first);
        qsizetype nearest = series.lowerBound(at);
        if (nearest > 0 && (nearest == series.size() ||
                            at - series.timeAt(nearest - 1) < series.timeAt(nearest) - at))
            --nearest;
        if (nearest < series.size())
            readout.append(QStringLiteral("%1: %2").arg(
                seriesTitle(series), QString::number(series.valueAt(nearest), 'g', 10)));
    }
    const QString text = readout.join(u'\n');
    QRectF box = m_painter.boundingRect(QRectF(0, 0, 1000, 1000), Qt::AlignLeft, text);
    box.adjust(-4, -2, 4, 2);
    box.moveTopLeft(*pointer + QPointF(12, 12));
    if (box.right() > m_area.right())
        box.moveRight(pointer->x() - 12);
    if (box.bottom() > m_area.bottom())
        box.moveBottom(pointer->y() - 12);
    m_painter.setPen(m_palette.color(QPalette::ToolTipText));
    m_painter.fillRect(box, m_palette.color(QPalette::ToolTipBase));
    m_painter.drawRect(box);
    m_painter.drawText(box.adjusted(4, 2, -4, -2), Qt::AlignLeft, text);
}

void PlotPainter::paintNotes()
{
    if (m_frame.notes.isEmpty())
        return;
    m_painter.setPen(m_palette.color(QPalette::Text));
    m_painter.drawText(m_area.adjusted(6, 4, -6, -4), Qt::AlignRight | Qt::AlignTop,
                       m_frame.notes.join(u'\n'));
}
