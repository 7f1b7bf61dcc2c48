#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Reading bytes from hexadecimal pairs typed by the operator. Only 0-9, A-F
// and a-f are digits; any other character separates runs of digits, and any
// number of separators may stand between them. A run is read as pairs from
// its start; a single digit left over makes the byte of its own value
// ("7" gives 07).
namespace HexEntry {

bool isHexDigit(char c);

// The bytes of one run of digits.
QByteArray bytesOfRun(QByteArrayView run);

// The bytes of every run in `text`, in order.
QByteArray bytesOfText(QByteArrayView text);

// The run of digits that `text` ends with (empty when it ends with a
// separator, or is empty).
QByteArrayView trailingRun(QByteArrayView text);

} // namespace HexEntry
