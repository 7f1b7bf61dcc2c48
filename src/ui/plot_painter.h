#pragma once

#include "core/plot/plot_series.h"

#include <QByteArray>
#include <QFontMetrics>
#include <QList>
#include <QPalette>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QStringList>

#include <optional>
#include <utility>

class PlotStore;
class QPainter;

// Paints one frame of a channel's plot (see PlotView): the legend along the
// top, the value and time marks with their grid, each shown series' lines
// through its pixel columns' extents, the pointer's cross-hair read-out and
// the notes in the corner. It holds what one frame needs; the view keeps
// what outlives it (where the legend's entries were, the columns read).
class PlotPainter
{
public:
    // What the view asks to be shown.
    struct Frame
    {
        const PlotStore &store;
        const QSet<QByteArray> &hidden;
        std::pair<qint64, qint64> span; // ms since the epoch
        std::optional<QPointF> pointer;
        QStringList notes;
    };

    PlotPainter(QPainter &painter, const QPalette &palette, const QFontMetrics &metrics,
                const Frame &frame);

    // Paints over `size`, the lines within `area` (shrunk below the legend);
    // false when no room is left for them (the legend alone is painted).
    bool paint(const QSize &size, QRectF area);

    // Where each legend entry was painted, with its series' name.
    const QList<std::pair<QRectF, QByteArray>> &legend() const { return m_legend; }
    // The pixel columns' extents read, over every shown series.
    qsizetype columnsPainted() const { return m_columnsPainted; }

    static QColor seriesColor(int index);
    // The series' name, with its unit when it has one.
    static QString seriesTitle(const PlotSeries &series);

private:
    // Returns the legend's bottom.
    double paintLegend(const QSize &size);
    void readExtents();
    // The values' range: what the extents span, with a margin.
    void fitValues();
    double yOf(double value) const;
    double xOfTime(qint64 ms) const;
    void paintValueMarks();
    void paintTimeMarks();
    void paintLines();
    void paintReadout();
    void paintNotes();

    QPainter &m_painter;
    const QPalette &m_palette;
    const QFontMetrics &m_metrics;
    const Frame &m_frame;
    int m_line;
    QRectF m_area;
    QList<std::pair<int, QList<PlotExtent>>> m_drawn; // series index, extents
    double m_low = 0;
    double m_high = 1;
    QList<std::pair<QRectF, QByteArray>> m_legend;
    qsizetype m_columnsPainted = 0;
};
