#include "ui/plot_view.h"

#include "core/plot/plot_ticks.h"
#include "devices/channel_plot.h"

#include <QAccessible>
#include <QDateTime>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr int kRepaintMs = 50;
constexpr qint64 kNarrowestSpanMs = 10;
constexpr double kZoomStep = 1.25;

QColor plotSeriesColor(int index)
{
    static const QColor colors[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                    QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                    QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                    QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f),
                                    QColor(0xbc, 0xbd, 0x22), QColor(0x17, 0xbe, 0xcf)};
    return colors[index % int(std::size(colors))];
}

QString plotSeriesTitle(const PlotSeries &series)
{
    const QString name = QString::fromUtf8(series.name());
    return series.unit().isEmpty()
               ? name
               : QStringLiteral("%1 [%2]").arg(name, QString::fromUtf8(series.unit()));
}

} // namespace

PlotView::PlotView(ChannelPlot &plot, QWidget *parent)
    : QWidget(parent)
    , m_plot(plot)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(320, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(kRepaintMs);
    connect(&m_repaint, &QTimer::timeout, this, [this] {
        update();
        updateAccessibleText();
    });
    connect(&plot, &ChannelPlot::pointsAdded, this, &PlotView::onPointsAdded);
    connect(&plot, &ChannelPlot::cleared, this, [this] {
        m_fixed.reset();
        m_whole = false;
        update();
    });
    connect(&plot, &ChannelPlot::followChanged, this, &PlotView::follow);
    updateAccessibleText();
}

void PlotView::onPointsAdded()
{
    // A frozen span may still gain points inside it.
    if (!m_repaint.isActive())
        m_repaint.start();
}

void PlotView::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    if (paused) {
        const auto [t0, t1] = span();
        m_fixed = Fixed{t0, t1};
    } else {
        m_fixed.reset();
    }
    m_paused = paused;
    update();
    emit pausedChanged(paused);
}

void PlotView::follow()
{
    m_fixed.reset();
    m_whole = false;
    setPaused(false);
    update();
}

void PlotView::showWhole()
{
    m_fixed.reset();
    m_whole = true;
    setPaused(false);
    update();
}

std::pair<qint64, qint64> PlotView::span() const
{
    if (m_fixed)
        return {m_fixed->t0, m_fixed->t1};
    const PlotStore &store = m_plot.store();
    const qint64 last = store.lastTime() == PlotStore::kNoTime ? QDateTime::currentMSecsSinceEpoch()
                                                               : store.lastTime();
    const int follow = m_plot.followSeconds();
    if (m_whole || follow == 0) {
        const qint64 first = store.firstTime() == PlotStore::kNoTime ? last : store.firstTime();
        return {first, std::max(last, first + 1000)};
    }
    return {last - qint64(follow) * 1000, last};
}

void PlotView::setSeriesShown(const QByteArray &name, bool shown)
{
    if (shown == !m_hidden.contains(name))
        return;
    if (shown)
        m_hidden.remove(name);
    else
        m_hidden.insert(name);
    update();
    emit seriesShownChanged();
}

void PlotView::zoom(double factor, double atFraction)
{
    const auto [t0, t1] = span();
    const double width = std::max<double>(double(t1 - t0) * factor, kNarrowestSpanMs);
    const double at = double(t0) + double(t1 - t0) * atFraction;
    const qint64 from = qint64(at - width * atFraction);
    m_fixed = Fixed{from, from + qint64(width)};
    update();
}

void PlotView::pan(double fraction)
{
    const auto [t0, t1] = span();
    const qint64 by = qint64(double(t1 - t0) * fraction);
    m_fixed = Fixed{t0 + by, t1 + by};
    update();
}

QRectF PlotView::plotArea(const QSize &size) const
{
    const int line = fontMetrics().height();
    const double left = fontMetrics().horizontalAdvance(QStringLiteral("-0.000000")) + 8;
    return QRectF(left, 2 * line + 8, size.width() - left - 12, size.height() - 3 * line - 16);
}

void PlotView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintPlot(painter, size());
}

void PlotView::paintPlot(QPainter &painter, const QSize &size)
{
    const PlotStore &store = m_plot.store();
    const QPalette &colors = palette();
    painter.fillRect(QRect(QPoint(0, 0), size), colors.color(QPalette::Base));
    painter.setFont(font());
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();

    // The legend, along the top.
    m_legend.clear();
    double x = 8;
    double y = 4;
    for (int i = 0; i < store.seriesCount(); ++i) {
        const PlotSeries &series = store.series(i);
        const bool shown = !m_hidden.contains(series.name());
        const double latest = series.lastValue();
        const QString text =
            QStringLiteral("%1 = %2").arg(plotSeriesTitle(series), QString::number(latest, 'g', 6));
        const double width = 14 + metrics.horizontalAdvance(text) + 12;
        if (x + width > size.width() && x > 8) {
            x = 8;
            y += line;
        }
        const QRectF entry(x, y, width, line);
        painter.fillRect(QRectF(x, y + line / 2.0 - 4, 10, 8),
                         shown ? plotSeriesColor(i) : colors.color(QPalette::Mid));
        painter.setPen(colors.color(shown ? QPalette::Text : QPalette::PlaceholderText));
        painter.drawText(QRectF(x + 14, y, width - 14, line), Qt::AlignVCenter, text);
        m_legend.append({entry, series.name()});
        x += width;
    }

    QRectF area = plotArea(size);
    area.setTop(std::max(area.top(), y + line + 4));
    if (area.width() < 10 || area.height() < 10)
        return;
    // Plain names: lambdas below take them (clang 14 takes no bindings).
    const std::pair<qint64, qint64> shown = span();
    const qint64 t0 = shown.first;
    const qint64 t1 = shown.second;
    const qsizetype columns = qsizetype(area.width());

    // Each shown series' extents, and the values they span.
    QList<std::pair<int, QList<PlotExtent>>> drawn;
    double low = INFINITY;
    double high = -INFINITY;
    m_columnsPainted = 0;
    for (int i = 0; i < store.seriesCount(); ++i) {
        const PlotSeries &series = store.series(i);
        if (m_hidden.contains(series.name()))
            continue;
        QList<PlotExtent> extents(columns);
        series.extents(t0, t1, columns, extents.data());
        m_columnsPainted += columns;
        for (const PlotExtent &extent : extents) {
            if (extent.hasValue() && std::isfinite(extent.low) && std::isfinite(extent.high)) {
                low = std::min(low, extent.low);
                high = std::max(high, extent.high);
            }
        }
        drawn.append({i, std::move(extents)});
    }
    if (!(low <= high)) {
        low = 0;
        high = 1;
    } else if (low == high) {
        const double margin = low == 0 ? 1 : std::fabs(low) * 0.1;
        low -= margin;
        high += margin;
    } else {
        const double margin = (high - low) * 0.05;
        low -= margin;
        high += margin;
    }
    const auto yOf = [&](double value) {
        const double clamped = std::clamp(value, low, high); // an inf at the edge
        return area.bottom() - (clamped - low) / (high - low) * area.height();
    };

    // Marks and their grid.
    painter.setPen(colors.color(QPalette::Text));
    painter.drawRect(area);
    const QColor grid = colors.color(QPalette::Midlight);
    const QList<double> values =
        PlotTicks::values(low, high, std::max(2, int(area.height()) / (2 * line)));
    const double valueStep = values.size() > 1 ? values.at(1) - values.at(0) : 1;
    for (const double value : values) {
        const double at = yOf(value);
        painter.setPen(grid);
        painter.drawLine(QPointF(area.left(), at), QPointF(area.right(), at));
        painter.setPen(colors.color(QPalette::Text));
        painter.drawText(QRectF(0, at - line / 2.0, area.left() - 4, line),
                         Qt::AlignRight | Qt::AlignVCenter, PlotTicks::valueText(value, valueStep));
    }
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16;
    const PlotTicks::TimeMarks times =
        PlotTicks::times(t0, t1, std::max(2, int(area.width()) / labelWidth));
    const auto xOfTime = [&](qint64 ms) {
        return area.left() + double(ms - t0) / double(std::max<qint64>(1, t1 - t0)) * area.width();
    };
    for (const qint64 ms : times.at) {
        const double at = xOfTime(ms);
        painter.setPen(grid);
        painter.drawLine(QPointF(at, area.top()), QPointF(at, area.bottom()));
        painter.setPen(colors.color(QPalette::Text));
        painter.drawText(QRectF(at - labelWidth / 2.0, area.bottom() + 2, labelWidth, line),
                         Qt::AlignCenter, PlotTicks::timeText(ms, times.stepMs));
    }

    // The lines: a column's span from low to high, joined to the next
    // column's first value; a nan breaks the line.
    painter.save();
    painter.setClipRect(area);
    for (const auto &[index, extents] : drawn) {
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
            const double at = area.left() + double(column) + 0.5;
            if (previous && !std::isnan(extent.first))
                lines.append(QLineF(*previous, QPointF(at, yOf(extent.first))));
            lines.append(QLineF(at, yOf(extent.low), at, yOf(extent.high)));
            if (std::isnan(extent.last))
                previous.reset();
            else
                previous = QPointF(at, yOf(extent.last));
        }
        painter.setPen(QPen(plotSeriesColor(index), 0)); // cosmetic: the raster engine's fast lines
        painter.drawLines(lines);
    }
    painter.restore();

    // The cross-hair's read-out.
    if (m_pointer && area.contains(*m_pointer)) {
        painter.setPen(QPen(colors.color(QPalette::Text), 1, Qt::DashLine));
        painter.drawLine(QPointF(m_pointer->x(), area.top()),
                         QPointF(m_pointer->x(), area.bottom()));
        painter.drawLine(QPointF(area.left(), m_pointer->y()),
                         QPointF(area.right(), m_pointer->y()));
        const qint64 at =
            t0 + qint64((m_pointer->x() - area.left()) / area.width() * double(t1 - t0));
        QStringList readout{
            QDateTime::fromMSecsSinceEpoch(at).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))};
        for (const auto &[index, extents] : drawn) {
            const PlotSeries &series = store.series(index);
            qsizetype nearest = series.lowerBound(at);
            if (nearest > 0 && (nearest == series.size() ||
                                at - series.timeAt(nearest - 1) < series.timeAt(nearest) - at))
                --nearest;
            if (nearest < series.size())
                readout.append(QStringLiteral("%1: %2").arg(
                    plotSeriesTitle(series), QString::number(series.valueAt(nearest), 'g', 10)));
        }
        const QString text = readout.join(u'\n');
        QRectF box = painter.boundingRect(QRectF(0, 0, 1000, 1000), Qt::AlignLeft, text);
        box.adjust(-4, -2, 4, 2);
        box.moveTopLeft(*m_pointer + QPointF(12, 12));
        if (box.right() > area.right())
            box.moveRight(m_pointer->x() - 12);
        if (box.bottom() > area.bottom())
            box.moveBottom(m_pointer->y() - 12);
        painter.setPen(colors.color(QPalette::ToolTipText));
        painter.fillRect(box, colors.color(QPalette::ToolTipBase));
        painter.drawRect(box);
        painter.drawText(box.adjusted(4, 2, -4, -2), Qt::AlignLeft, text);
    }

    // What was not kept, and what is paused.
    QStringList notes;
    if (store.seriesCount() == 0)
        notes.append(m_plot.isOn() ? tr("No numbers received yet.") : tr("Plotting is off."));
    if (store.overflowCount() > 0)
        notes.append(tr("%n number(s) of further series not plotted (at most %1 series).", "",
                        int(std::min<qint64>(store.overflowCount(), INT_MAX)))
                         .arg(PlotStore::kMostSeries));
    if (m_paused)
        notes.append(tr("Paused"));
    if (!notes.isEmpty()) {
        painter.setPen(colors.color(QPalette::Text));
        painter.drawText(area.adjusted(6, 4, -6, -4), Qt::AlignRight | Qt::AlignTop,
                         notes.join(u'\n'));
    }
}

void PlotView::wheelEvent(QWheelEvent *event)
{
    const QRectF area = plotArea(size());
    const double at = std::clamp((event->position().x() - area.left()) / area.width(), 0.0, 1.0);
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        zoom(std::pow(kZoomStep, -steps), at);
    event->accept();
}

void PlotView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    for (const auto &[rect, name] : m_legend) {
        if (rect.contains(event->position())) {
            setSeriesShown(name, m_hidden.contains(name));
            return;
        }
    }
    const auto [t0, t1] = span();
    m_dragFrom = event->position();
    m_dragSpan = Fixed{t0, t1};
}

void PlotView::mouseMoveEvent(QMouseEvent *event)
{
    m_pointer = event->position();
    if (m_dragFrom && m_dragSpan) {
        const QRectF area = plotArea(size());
        const double moved = (event->position().x() - m_dragFrom->x()) / area.width();
        const qint64 by = qint64(moved * double(m_dragSpan->t1 - m_dragSpan->t0));
        m_fixed = Fixed{m_dragSpan->t0 - by, m_dragSpan->t1 - by};
    }
    update();
}

void PlotView::mouseReleaseEvent(QMouseEvent *)
{
    m_dragFrom.reset();
    m_dragSpan.reset();
}

void PlotView::mouseDoubleClickEvent(QMouseEvent *)
{
    follow();
}

void PlotView::leaveEvent(QEvent *)
{
    m_pointer.reset();
    update();
}

void PlotView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoom(1 / kZoomStep, 0.5);
        break;
    case Qt::Key_Minus:
        zoom(kZoomStep, 0.5);
        break;
    case Qt::Key_Left:
        pan(-0.1);
        break;
    case Qt::Key_Right:
        pan(0.1);
        break;
    case Qt::Key_Home:
        showWhole();
        break;
    case Qt::Key_End:
        follow();
        break;
    case Qt::Key_Space:
        setPaused(!m_paused);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PlotView::updateAccessibleText()
{
    // A screen reader hears the latest values, not the picture.
    const PlotStore &store = m_plot.store();
    QStringList latest;
    for (int i = 0; i < store.seriesCount() && i < 8; ++i)
        latest.append(QStringLiteral("%1 %2").arg(plotSeriesTitle(store.series(i)),
                                                  QString::number(store.series(i).lastValue())));
    setAccessibleDescription(latest.isEmpty() ? tr("No numbers received yet.")
                                              : tr("Latest values: %1").arg(latest.join(u", ")));
}

#include "moc_plot_view.cpp"
