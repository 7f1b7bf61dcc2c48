#include "devices/port_numbering.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

constexpr int highestNumber = 99;

// Compares names so that ttyXY2 comes before ttyXY10.
bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype iEnd = i;
            while (iEnd < a.size() && a.at(iEnd).isDigit())
                ++iEnd;
            qsizetype jEnd = j;
            while (jEnd < b.size() && b.at(jEnd).isDigit())
                ++jEnd;
            // Leading zeros aside, the longer run of digits is the larger number.
            QStringView runA = QStringView(a).mid(i, iEnd - i);
            QStringView runB = QStringView(b).mid(j, jEnd - j);
            while (runA.size() > 1 && runA.front() == u'0')
                runA = runA.mid(1);
            while (runB.size() > 1 && runB.front() == u'0')
                runB = runB.mid(1);
            if (runA.size() != runB.size())
                return runA.size() < runB.size();
            if (const int c = runA.compare(runB); c != 0)
                return c < 0;
            i = iEnd;
            j = jEnd;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

} // namespace

namespace PortNumbering {

QStringList orderDevices(const std::function<bool(const QString &)> &exists,
                         const QStringList &others)
{
    QStringList devices;
    QSet<QString> seen;
    for (const QString &prefix : {QStringLiteral("/dev/ttyS"), QStringLiteral("/dev/ttyUSB"),
                                  QStringLiteral("/dev/ttyACM")}) {
        // Numbers stop at 99, so there is no point looking further.
        for (int index = 0; index < highestNumber; ++index) {
            const QString device = prefix + QString::number(index);
            if (!exists(device))
                break;
            devices.append(device);
            seen.insert(device);
        }
    }

    QStringList rest;
    for (const QString &device : others) {
        if (device.isEmpty() || seen.contains(device))
            continue;
        seen.insert(device);
        rest.append(device);
    }
    std::sort(rest.begin(), rest.end(), naturalLess);
    devices.append(rest);
    return devices;
}

QString deviceAt(const QStringList &devices, double number)
{
    if (!std::isfinite(number) || number != std::floor(number) || number < 1 ||
        number > highestNumber)
        return {};
    const qsizetype index = qsizetype(number) - 1;
    return index < devices.size() ? devices.at(index) : QString();
}

QStringList devicesInOrder()
{
#ifdef Q_OS_WIN
    QStringList devices;
    for (int number = 1; number <= highestNumber; ++number)
        devices.append(QStringLiteral("COM%1").arg(number));
    return devices;
#else
    QStringList others;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        others.append(info.systemLocation());
    return orderDevices([](const QString &path) { return QFileInfo::exists(path); }, others);
#endif
}

QString deviceForNumber(double number)
{
    return deviceAt(devicesInOrder(), number);
}

} // namespace PortNumbering
