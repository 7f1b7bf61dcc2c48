#include "core/time_out_entry.h"

#include "core/leading_number.h"

#include <QCoreApplication>
#include <QStringList>

namespace TimeOutEntry {

QString text(qint16 timeOut)
{
    return QString::number(timeOut);
}

std::optional<qint16> read(const QString &text)
{
    const std::optional<qint16> value = LeadingNumber::toInt16(LeadingNumber::read(text));
    // A timer can't wait a negative time; 0 means "at the next chance".
    if (!value || *value < minimum)
        return std::nullopt;
    return value;
}

QString refusal(const QString &channelName)
{
    return QCoreApplication::translate(
               "TimeOutEntry",
               "%1: the time-out must be a whole number of milliseconds from %2 to %3.")
        .arg(channelName)
        .arg(minimum)
        .arg(maximum);
}

Pair readPair(const QString &text1, const QString &text2)
{
    Pair pair;
    QStringList refusals;
    if (const std::optional<qint16> value = read(text1))
        pair.timeOut1 = *value;
    else
        refusals << refusal(QStringLiteral("Comm 1"));
    if (const std::optional<qint16> value = read(text2))
        pair.timeOut2 = *value;
    else
        refusals << refusal(QStringLiteral("Comm 2"));
    pair.refusal = refusals.join(QLatin1Char('\n'));
    return pair;
}

} // namespace TimeOutEntry
