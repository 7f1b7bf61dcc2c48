#include "core/telnet/remote_port_settings.h"

#include "core/telnet/com_port_option.h"

using namespace ComPortOption;

namespace {

quint32 baudOf(QByteArrayView value)
{
    quint32 baud = 0;
    for (const char byte : value.first(std::min<qsizetype>(value.size(), 4)))
        baud = baud << 8 | std::uint8_t(byte);
    return baud;
}

std::uint8_t byteOf(QByteArrayView value)
{
    return value.isEmpty() ? 0 : std::uint8_t(value.front());
}

QString parityName(std::uint8_t value)
{
    switch (value) {
    case ParityOdd:
        return QStringLiteral("odd");
    case ParityEven:
        return QStringLiteral("even");
    case ParityMark:
        return QStringLiteral("mark");
    case ParitySpace:
        return QStringLiteral("space");
    default:
        return QStringLiteral("none");
    }
}

QString stopName(std::uint8_t value)
{
    switch (value) {
    case StopTwo:
        return QStringLiteral("2");
    case StopOneAndHalf:
        return QStringLiteral("1.5");
    default:
        return QStringLiteral("1");
    }
}

QString flowName(std::uint8_t value)
{
    switch (value) {
    case FlowXonXoff:
        return QStringLiteral("XON/XOFF");
    case FlowHardware:
        return QStringLiteral("RTS/CTS");
    default:
        return QStringLiteral("none");
    }
}

// One value of a setting, bare ("9600") and with its name ("9600 baud").
QString valueName(std::uint8_t key, QByteArrayView value)
{
    switch (key) {
    case SetBaudRate:
        return QString::number(baudOf(value));
    case SetDataSize:
        return QString::number(byteOf(value));
    case SetParity:
        return parityName(byteOf(value));
    case SetStopSize:
        return stopName(byteOf(value));
    default:
        return flowName(byteOf(value));
    }
}

QString describe(std::uint8_t key, QByteArrayView value)
{
    const QString bare = valueName(key, value);
    switch (key) {
    case SetBaudRate:
        return bare + QStringLiteral(" baud");
    case SetDataSize:
        return bare + QStringLiteral(" data bits");
    case SetParity:
        return QStringLiteral("parity ") + bare;
    case SetStopSize:
        return bare + QStringLiteral(" stop bits");
    default:
        return QStringLiteral("flow control ") + bare;
    }
}

} // namespace

int RemotePortSettings::keyOf(std::uint8_t command, QByteArrayView value)
{
    switch (command) {
    case SetBaudRate:
    case SetDataSize:
    case SetParity:
    case SetStopSize:
        return command;
    case SetControl: {
        const std::uint8_t control = byteOf(value);
        return control >= FlowNone && control <= FlowHardware ? flowKey : -1;
    }
    default:
        return -1;
    }
}

void RemotePortSettings::asked(std::uint8_t command, QByteArrayView value)
{
    const int key = keyOf(command, value);
    if (key >= 0)
        m_fields[std::uint8_t(key)] = {value.toByteArray(), {}, {}};
}

std::optional<QString> RemotePortSettings::answered(std::uint8_t command, QByteArrayView value)
{
    const int key = keyOf(command, value);
    const auto field = key < 0 ? m_fields.end() : m_fields.find(std::uint8_t(key));
    if (field == m_fields.end())
        return std::nullopt; // a notice, or an answer to a line or Break
    Field &f = field->second;
    if (!f.answered.isNull() && f.answered == value)
        return std::nullopt; // the same answer again: nothing changed
    f.answered = value.toByteArray();
    const std::uint8_t setting = std::uint8_t(key);
    const QString meant = valueName(setting, value);
    if (meant == valueName(setting, f.asked)) {
        f.told.clear();
        return QString();
    }
    if (meant == f.told)
        return QString();
    f.told = meant;
    return QStringLiteral("the server set %1 instead of %2")
        .arg(describe(setting, value), valueName(setting, f.asked));
}

QByteArray RemotePortSettings::valueOf(std::uint8_t key) const
{
    const auto field = m_fields.find(key);
    if (field == m_fields.end())
        return {};
    return field->second.answered.isEmpty() ? field->second.asked : field->second.answered;
}

QString RemotePortSettings::text() const
{
    const QString parity = parityName(byteOf(valueOf(SetParity)));
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudOf(valueOf(SetBaudRate)))
        .arg(parity == QLatin1String("none") ? QStringLiteral("n") : parity.left(1))
        .arg(byteOf(valueOf(SetDataSize)))
        .arg(stopName(byteOf(valueOf(SetStopSize))));
}
