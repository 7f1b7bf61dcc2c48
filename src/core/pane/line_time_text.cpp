#include "core/pane/line_time_text.h"

#include "core/pane/pane_text.h"

#include <QBuffer>
#include <QDateTime>

#include <algorithm>

QLatin1String keywordOf(LineTimeForm form)
{
    switch (form) {
    case LineTimeForm::WallClock:
        return QLatin1String("WallClock");
    case LineTimeForm::SinceFirst:
        return QLatin1String("SinceFirst");
    case LineTimeForm::SincePrevious:
        return QLatin1String("SincePrevious");
    case LineTimeForm::Off:
        break;
    }
    return QLatin1String("Off");
}

namespace LineTimeText {

namespace {

constexpr int kTimeWidth = 12;    // 14:24:52.006, or the date 2026-12-07
constexpr int kSecondsWidth = 13; // +99999999.999

QDateTime localTimeOf(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms);
}

QString seconds(qint64 ms)
{
    const qint64 whole = (ms < 0 ? -ms : ms);
    return QStringLiteral("%1%2.%3")
        .arg(ms < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(whole / 1000)
        .arg(whole % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace

int width(LineTimeForm form)
{
    switch (form) {
    case LineTimeForm::Off:
        return 0;
    case LineTimeForm::WallClock:
        return kTimeWidth;
    case LineTimeForm::SinceFirst:
    case LineTimeForm::SincePrevious:
        break;
    }
    return kSecondsWidth;
}

QString of(const PaneText &text, qsizetype line, LineTimeForm form, bool withDate)
{
    const qint64 ms = text.lineTime(line);
    QString shown;
    if (ms != PaneTimes::kNone) {
        switch (form) {
        case LineTimeForm::Off:
            return {};
        case LineTimeForm::WallClock: {
            const QDateTime at = localTimeOf(ms);
            const qint64 before = text.lineTime(line - 1);
            const bool newDate =
                before == PaneTimes::kNone || localTimeOf(before).date() != at.date();
            shown = at.toString(withDate  ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                : newDate ? QStringLiteral("yyyy-MM-dd")
                                          : QStringLiteral("HH:mm:ss.zzz"));
            break;
        }
        case LineTimeForm::SinceFirst:
            shown = seconds(ms - text.lineTime(0));
            break;
        case LineTimeForm::SincePrevious: {
            const qint64 before = text.lineTime(line - 1);
            shown = seconds(before == PaneTimes::kNone ? 0 : ms - before);
            break;
        }
        }
    }
    return shown.rightJustified(width(form));
}

bool writeTo(const PaneText &text, QIODevice &device, qsizetype pos, qsizetype length,
             LineTimeForm form)
{
    pos = std::clamp<qsizetype>(pos, 0, text.size());
    const qsizetype end = length < 0 ? text.size() : std::min(text.size(), pos + length);
    if (pos >= end)
        return true;
    // Walks the breaks rather than asking the index for each line's start.
    qsizetype line = text.lineAt(pos);
    for (qsizetype from = pos; from < end; ++line) {
        const qsizetype lineBreak = text.findLineBreak(from, end);
        const qsizetype next =
            lineBreak < end ? std::min(end, text.afterLineBreak(lineBreak)) : end;
        const QByteArray time = of(text, line, form, true).toLatin1() + ' ';
        if (device.write(time) != time.size() || !text.writeTo(device, from, next - from))
            return false;
        from = next;
    }
    return true;
}

QByteArray copy(const PaneText &text, qsizetype pos, qsizetype length, LineTimeForm form)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    writeTo(text, buffer, pos, length, form);
    return out;
}

} // namespace LineTimeText
