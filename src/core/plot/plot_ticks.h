#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// Where a plot's axes put their marks: steps a reader takes in at a glance.
namespace PlotTicks {

// Values: steps of 1, 2 or 5 times a power of ten, at most `most` marks
// in [low, high], each a multiple of the step.
QList<double> values(double low, double high, int most);
// The text of a value mark, with as many decimals as the step needs.
QString valueText(double value, double step);

struct TimeMarks
{
    qint64 stepMs = 0;
    QList<qint64> at; // ms since the epoch
};
// Times: steps of 1, 2, 5, 10, 20, 50, 100, 200 and 500 ms, 1, 2, 5, 10,
// 15 and 30 s, 1, 2, 5, 10, 15 and 30 min, 1, 2, 3, 6 and 12 h, then days,
// at most `most` marks in [t0, t1], on whole steps of local time.
TimeMarks times(qint64 t0, qint64 t1, int most);
// The text of a time mark: milliseconds, seconds, minutes or the date, as
// the step needs (local time).
QString timeText(qint64 ms, qint64 stepMs);

} // namespace PlotTicks
