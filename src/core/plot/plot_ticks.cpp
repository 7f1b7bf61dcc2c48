#include "core/plot/plot_ticks.h"

#include <QDateTime>

#include <cmath>

QList<double> PlotTicks::values(double low, double high, int most)
{
    QList<double> marks;
    if (!(high > low) || !std::isfinite(high - low) || most < 1)
        return marks;
    const double rough = (high - low) / most;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power * 10;
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (power * factor >= rough) {
            step = power * factor;
            break;
        }
    }
    for (double mark = std::ceil(low / step) * step; mark <= high && marks.size() <= most;
         mark += step)
        marks.append(std::fabs(mark) < step * 1e-9 ? 0.0 : mark);
    return marks;
}

QString PlotTicks::valueText(double value, double step)
{
    const int decimals = step >= 1 || step <= 0 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    if (std::fabs(value) >= 1e7 || (value != 0 && std::fabs(value) < 1e-4))
        return QString::number(value, 'g', 4);
    return QString::number(value, 'f', std::min(decimals, 9));
}

PlotTicks::TimeMarks PlotTicks::times(qint64 t0, qint64 t1, int most)
{
    static const qint64 steps[] = {1,       2,       5,        10,       20,       50,      100,
                                   200,     500,     1000,     2000,     5000,     10000,   15000,
                                   30000,   60000,   120000,   300000,   600000,   900000,  1800000,
                                   3600000, 7200000, 10800000, 21600000, 43200000, 86400000};
    TimeMarks marks;
    if (t1 <= t0 || most < 1)
        return marks;
    const qint64 rough = (t1 - t0) / most + 1;
    marks.stepMs = 0;
    for (const qint64 step : steps) {
        if (step >= rough) {
            marks.stepMs = step;
            break;
        }
    }
    if (marks.stepMs == 0) // whole days
        marks.stepMs = ((rough + 86399999) / 86400000) * 86400000;
    // Whole steps of local time: 10:00, not 10:00 UTC shown as 11:00.
    const qint64 offset = qint64(QDateTime::fromMSecsSinceEpoch(t0).offsetFromUtc()) * 1000;
    qint64 mark = ((t0 + offset + marks.stepMs - 1) / marks.stepMs) * marks.stepMs - offset;
    for (; mark <= t1 && marks.at.size() <= most; mark += marks.stepMs)
        marks.at.append(mark);
    return marks;
}

QString PlotTicks::timeText(qint64 ms, qint64 stepMs)
{
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(ms);
    if (stepMs < 1000)
        return time.toString(QStringLiteral("HH:mm:ss.zzz"));
    if (stepMs < 60000)
        return time.toString(QStringLiteral("HH:mm:ss"));
    if (stepMs < 86400000)
        return time.toString(QStringLiteral("HH:mm"));
    return time.toString(QStringLiteral("yyyy-MM-dd"));
}
