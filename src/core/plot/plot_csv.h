#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class PlotStore;
class QIODevice;

// A plot's points as CSV: a header row ("time", then each series' name with
// its unit in brackets), then one row per time. A row's time is the
// earliest of the series' next points; it takes each series' next point of
// exactly that time, one at most per series, and leaves the other cells
// empty. So the numbers of one line share a row, in the line's order, and
// every point is written once. Times are local ISO 8601 with milliseconds
// and the offset from UTC (2026-12-08T23:31:05.123+01:00, or Z for UTC); values are the
// shortest text that reads back as the same double ("nan" for a gap).
namespace PlotCsv {

// Writes `store` to `out`; an empty result, or why not.
QString write(const PlotStore &store, QIODevice &out);
// Writes `store` to a new file at `path`, which replaces any file there only
// once complete.
QString save(const PlotStore &store, const QString &path);
// The header cell of a name, quoted when it holds a comma, quote or break.
QByteArray cell(QByteArrayView text);

} // namespace PlotCsv
