#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The two time-out fields of the format dialog: what they read as, and
// whether the value can serve as a timer interval.
namespace TimeOutEntry {

inline constexpr int minimum = 0;
inline constexpr int maximum = 32767;

// The text a field shows for a stored time-out.
QString text(qint16 timeOut);

// The field's leading number, to the nearest whole number (a half to the even
// neighbour); nothing when that falls outside minimum..maximum.
std::optional<qint16> read(const QString &text);

// The message for a refused field of the channel named e.g. "Comm 1".
QString refusal(const QString &channelName);

// Every channel's field read together (channel 1's first): either every
// value, or the refusal of each field that can't be taken (one line per
// field).
struct Fields
{
    QList<qint16> timeOuts;
    QString refusal; // empty when every field is taken

    bool accepted() const { return refusal.isEmpty(); }
};

Fields readAll(const QStringList &texts);

} // namespace TimeOutEntry
