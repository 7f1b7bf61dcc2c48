#include "devices/device_line_settings.h"

// The kernel's termios2 and the C library's termios can't share a
// translation unit: this file is kept out of the layer's unity batch.
#if defined(Q_OS_LINUX) || defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>
#define VARNOK_HAVE_TERMIOS2 1
#endif

namespace {

QChar parityLetter(QSerialPort::Parity parity)
{
    switch (parity) {
    case QSerialPort::EvenParity:
        return u'e';
    case QSerialPort::OddParity:
        return u'o';
    case QSerialPort::MarkParity:
        return u'm';
    case QSerialPort::SpaceParity:
        return u's';
    case QSerialPort::NoParity:
        break;
    }
    return u'n';
}

} // namespace

QString lineSettingsText(const LineSettings &settings)
{
    const QString stop = settings.stopBits == QSerialPort::TwoStop          ? QStringLiteral("2")
                         : settings.stopBits == QSerialPort::OneAndHalfStop ? QStringLiteral("1.5")
                                                                            : QStringLiteral("1");
    return QStringLiteral("%1,%2,%3,%4")
        .arg(settings.baudRate)
        .arg(parityLetter(settings.parity))
        .arg(int(settings.dataBits))
        .arg(stop);
}

#ifdef VARNOK_HAVE_TERMIOS2

namespace {

QSerialPort::DataBits dataBitsOf(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5:
        return QSerialPort::Data5;
    case CS6:
        return QSerialPort::Data6;
    case CS7:
        return QSerialPort::Data7;
    default:
        return QSerialPort::Data8;
    }
}

QSerialPort::Parity parityOf(tcflag_t cflag)
{
    if (!(cflag & PARENB))
        return QSerialPort::NoParity;
    if (cflag & CMSPAR)
        return (cflag & PARODD) ? QSerialPort::MarkParity : QSerialPort::SpaceParity;
    return (cflag & PARODD) ? QSerialPort::OddParity : QSerialPort::EvenParity;
}

} // namespace

std::optional<LineSettings> readDeviceLineSettings(int fd)
{
    struct termios2 device
    {};
    if (fd < 0 || ::ioctl(fd, TCGETS2, &device) != 0)
        return std::nullopt;
    LineSettings settings;
    // The kernel fills in the rate for a standard speed code as well.
    settings.baudRate = qint32(device.c_ospeed);
    settings.dataBits = dataBitsOf(device.c_cflag);
    settings.parity = parityOf(device.c_cflag);
    settings.stopBits = (device.c_cflag & CSTOPB) ? QSerialPort::TwoStop : QSerialPort::OneStop;
    return settings;
}

#else

std::optional<LineSettings> readDeviceLineSettings(int)
{
    return std::nullopt;
}

#endif
