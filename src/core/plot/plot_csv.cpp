#include "core/plot/plot_csv.h"

#include "core/plot/plot_store.h"

#include <QDateTime>
#include <QIODevice>
#include <QSaveFile>

#include <charconv>
#include <limits>
#include <vector>

namespace {

constexpr qsizetype kCsvWriteAbove = qsizetype(1) << 20;

void appendCsvTime(QByteArray &row, qint64 ms)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    row += local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs).toLatin1();
}

void appendCsvValue(QByteArray &row, double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    row.append(text, result.ptr - text);
}

} // namespace

QByteArray PlotCsv::cell(QByteArrayView text)
{
    const bool quoted =
        text.contains(',') || text.contains('"') || text.contains('\n') || text.contains('\r');
    if (!quoted)
        return text.toByteArray();
    QByteArray result = "\"";
    for (const char c : text) {
        if (c == '"')
            result += '"';
        result += c;
    }
    return result + '"';
}

QString PlotCsv::write(const PlotStore &store, QIODevice &out)
{
    const int count = store.seriesCount();
    QByteArray text = "time";
    for (int i = 0; i < count; ++i) {
        const PlotSeries &series = store.series(i);
        text += ',';
        text += cell(series.unit().isEmpty() ? series.name()
                                             : series.name() + " [" + series.unit() + ']');
    }
    text += '\n';
    std::vector<qsizetype> next(size_t(count), 0);
    for (;;) {
        qint64 rowTime = std::numeric_limits<qint64>::max();
        for (int i = 0; i < count; ++i) {
            if (next[size_t(i)] < store.series(i).size())
                rowTime = std::min(rowTime, store.series(i).timeAt(next[size_t(i)]));
        }
        if (rowTime == std::numeric_limits<qint64>::max())
            break;
        appendCsvTime(text, rowTime);
        for (int i = 0; i < count; ++i) {
            text += ',';
            const PlotSeries &series = store.series(i);
            qsizetype &at = next[size_t(i)];
            if (at < series.size() && series.timeAt(at) == rowTime)
                appendCsvValue(text, series.valueAt(at++));
        }
        text += '\n';
        if (text.size() > kCsvWriteAbove) {
            if (out.write(text) != text.size())
                return out.errorString();
            text.clear();
        }
    }
    if (out.write(text) != text.size())
        return out.errorString();
    return {};
}

QString PlotCsv::save(const PlotStore &store, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (QString error = write(store, file); !error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
