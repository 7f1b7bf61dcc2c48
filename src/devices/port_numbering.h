#pragma once

#include <QList>
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

// One entry of a port list: the text it shows and the device it stands for.
struct PortEntry
{
    QString text;
    QString device;

    bool operator==(const PortEntry &) const = default;
};

// What a port list offers: a numbered entry per device ("3 - ttyUSB0 FT232R
// USB UART (A1B2C3)", port 3 by the leading-number rule), then the stable
// names of the by-id folder, each a path the link opens as it is.
struct PortList
{
    QList<PortEntry> numbered;
    QList<PortEntry> named;

    // The device of the entry showing `text`; empty when none shows it.
    QString deviceOf(const QString &text) const;
    // The text of the entry for `device`, a numbered one first; empty when
    // none is for it.
    QString textOf(const QString &device) const;
};

// A numbered entry's text: the number, the device's name, and what the
// system says of it (its description and, in brackets, its serial number),
// each left out when unknown.
QString entryText(int number, const QString &device, const QString &description,
                  const QString &serialNumber);

// The folder of stable device names: $VARNOK_SERIAL_BY_ID_DIR when set (a
// test's folder), else /dev/serial/by-id.
QString namesFolder();
// The paths of the names in `folder`, in name order.
QStringList namesIn(const QString &folder);

// This machine's port list now.
PortList portList();

} // namespace PortNumbering
