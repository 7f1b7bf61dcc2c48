#pragma once

#include <QString>

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

// Both fields read together: either both values, or the refusal of each
// field that can't be taken (one line per field).
struct Pair
{
    qint16 timeOut1 = 0;
    qint16 timeOut2 = 0;
    QString refusal; // empty when both are taken

    bool accepted() const { return refusal.isEmpty(); }
};

Pair readPair(const QString &text1, const QString &text2);

} // namespace TimeOutEntry
