#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Serial port numbers (1..99) on this machine. On Linux they follow the order
// of discovery: /dev/ttyS0, /dev/ttyS1, ... (up to the first missing index),
// then /dev/ttyUSB0..., /dev/ttyACM0..., then any further serial device Qt
// finds, in name order. On Windows port N is COMN.
namespace PortNumbering {

// All devices in number order: element 0 is port 1.
QStringList devicesInOrder();

// The device port `number` opens, or an empty text when it opens nothing
// (no such device, or not a whole number from 1 to 99).
QString deviceForNumber(double number);

// The Linux ordering on its own, so it can be checked with made-up devices:
// `exists` tells whether a device file is present, `others` are the further
// devices Qt lists (in any order, possibly repeating the numbered ones).
QStringList orderDevices(const std::function<bool(const QString &)> &exists,
                         const QStringList &others);

// Element number - 1 of `devices`, or an empty text when there is none or
// `number` is not a whole number from 1 to 99.
QString deviceAt(const QStringList &devices, double number);

} // namespace PortNumbering
