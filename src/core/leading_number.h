#pragma once

#include <QString>

#include <optional>

// How numbers typed by the operator are read (port numbers, time-outs).
namespace LeadingNumber {

// Blanks, tabs and line feeds are dropped wherever they stand; the rest is
// read from its start for as long as it forms a number: an optional sign,
// digits with at most one ".", an optional exponent (E, optional sign,
// digits), or a whole number after &H (hexadecimal) or &O (octal). Reading
// stops at the first character that can't continue; no number gives 0.
double read(const QString &text);

// The nearest whole number (a half goes to the even neighbour), or nothing
// when it falls outside -32,768..32,767.
std::optional<qint16> toInt16(double value);

} // namespace LeadingNumber
