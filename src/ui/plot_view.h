#pragma once

#include "core/plot/plot_series.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <optional>

class ChannelPlot;

// A channel's plot, painted by the program itself: each shown series as a
// line through the lowest and highest value of each pixel column (from the
// series' pyramid, so a repaint reads a few points per column whatever the
// store holds), time on the x axis and values on the y axis (fitted to
// what is shown), each with marks at readable steps, and a legend of names,
// units and latest values along the top.
//
// What it shows: the last ChannelPlot::followSeconds() (the newest points
// at the right edge, or the whole capture for 0), until the operator zooms
// or pans; then that span stays until follow() or showWhole(). Paused, the
// span stays where it is while points go on arriving.
// Mouse: the wheel zooms about the pointer, a drag pans, a double click
// follows again; the pointer's cross-hair reads out the time and each
// shown series' value there. Keys: + and - zoom, Left and Right pan, Home
// shows the whole capture, End follows, Space pauses. A click on a legend
// entry shows or hides its series (also setSeriesShown()).
class PlotView : public QWidget
{
    Q_OBJECT

public:
    explicit PlotView(ChannelPlot &plot, QWidget *parent = nullptr);

    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);
    // Back to following the newest points (the plot's follow choice).
    void follow();
    void showWhole();
    // The span shown now, in ms since the epoch.
    std::pair<qint64, qint64> span() const;
    bool isSeriesShown(const QByteArray &name) const { return !m_hidden.contains(name); }
    void setSeriesShown(const QByteArray &name, bool shown);

    // The pixel columns' extents a paint drew from, of the series last
    // painted (for tests and the benchmark).
    qsizetype columnsPainted() const { return m_columnsPainted; }
    // Paints into `painter` over `size` (the view's own paint, a saved image).
    void paintPlot(QPainter &painter, const QSize &size);

signals:
    void pausedChanged(bool paused);
    void seriesShownChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Fixed
    {
        qint64 t0;
        qint64 t1;
    };

    void onPointsAdded();
    void zoom(double factor, double atFraction);
    void pan(double fraction);
    // The area of the lines, in a widget of `size`.
    QRectF plotArea(const QSize &size) const;
    void updateAccessibleText();

    ChannelPlot &m_plot;
    bool m_paused = false;
    std::optional<Fixed> m_fixed; // set by zoom, pan, pause or whole
    bool m_whole = false;
    QSet<QByteArray> m_hidden;
    QTimer m_repaint; // a fast stream repaints at most this often
    std::optional<QPointF> m_pointer;
    std::optional<QPointF> m_dragFrom;
    std::optional<Fixed> m_dragSpan;
    QList<std::pair<QRectF, QByteArray>> m_legend; // where each entry was painted
    qsizetype m_columnsPainted = 0;
};
