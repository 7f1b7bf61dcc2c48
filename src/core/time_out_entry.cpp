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

Fields readAll(const QStringList &texts)
{
    Fields fields;
    QStringList refusals;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const std::optional<qint16> value = read(texts.at(i));
        fields.timeOuts << value.value_or(0);
        if (!value)
            refusals << refusal(QStringLiteral("Comm %1").arg(i + 1));
    }
    fields.refusal = refusals.join(QLatin1Char('\n'));
    return fields;
}

} // namespace TimeOutEntry
