// A port list's entries with what the system knows of each device, and the
// stable names of the by-id folder.
#include "devices/port_numbering.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

namespace PortNumbering {

QString PortList::deviceOf(const QString &text) const
{
    for (const QList<PortEntry> *entries : {&numbered, &named}) {
        for (const PortEntry &entry : *entries) {
            if (entry.text == text)
                return entry.device;
        }
    }
    return {};
}

QString PortList::textOf(const QString &device) const
{
    for (const QList<PortEntry> *entries : {&numbered, &named}) {
        for (const PortEntry &entry : *entries) {
            if (entry.device == device)
                return entry.text;
        }
    }
    return {};
}

QString entryText(int number, const QString &device, const QString &description,
                  const QString &serialNumber)
{
    QString text = QStringLiteral("%1 - %2").arg(number).arg(QFileInfo(device).fileName());
    if (!description.trimmed().isEmpty())
        text += QLatin1Char(' ') + description.simplified();
    if (!serialNumber.trimmed().isEmpty())
        text += QStringLiteral(" (%1)").arg(serialNumber.simplified());
    return text;
}

QString namesFolder()
{
    const QString chosen = qEnvironmentVariable("VARNOK_SERIAL_BY_ID_DIR");
    return chosen.isEmpty() ? QStringLiteral("/dev/serial/by-id") : chosen;
}

QStringList namesIn(const QString &folder)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString &name :
         dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

PortList portList()
{
    PortList list;
    QHash<QString, QSerialPortInfo> known;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        known.insert(info.systemLocation(), info);
#ifdef Q_OS_WIN
    const QStringList devices = devicesInOrder();
#else
    // One look at the system's ports serves the order and the descriptions.
    const QStringList devices =
        orderDevices([](const QString &path) { return QFileInfo::exists(path); }, known.keys());
#endif
    for (qsizetype i = 0; i < devices.size() && i < 99; ++i) {
        const QSerialPortInfo info = known.value(devices.at(i));
        list.numbered << PortEntry{
            entryText(int(i) + 1, devices.at(i), info.description(), info.serialNumber()),
            devices.at(i)};
    }
    for (const QString &path : namesIn(namesFolder()))
        list.named << PortEntry{path, path};
    return list;
}

} // namespace PortNumbering
