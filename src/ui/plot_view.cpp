// The plot view's span (following, zoomed, panned, paused), its input and
// what screen readers hear; PlotPainter paints each frame.
#include "ui/plot_view.h"

#include "devices/channel_plot.h"
#include "ui/plot_painter.h"

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
    painter.setFont(font());
    const QFontMetrics metrics = fontMetrics();
    const PlotPainter::Frame frame{store, m_hidden, span(), m_pointer, notes};
    PlotPainter plotPainter(painter, palette(), metrics, frame);
    const bool linesPainted = plotPainter.paint(size, plotArea(size));
    m_legend = plotPainter.legend();
    if (linesPainted)
        m_columnsPainted = plotPainter.columnsPainted();
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
        latest.append(QStringLiteral("%1 %2").arg(PlotPainter::seriesTitle(store.series(i)),
                                                  QString::number(store.series(i).lastValue())));
    setAccessibleDescription(latest.isEmpty() ? tr("No numbers received yet.")
                                              : tr("Latest values: %1").arg(latest.join(u", ")));
}

#include "moc_plot_view.cpp"
