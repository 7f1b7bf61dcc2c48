// The serial port component's line: its settings (checked against what the
// device reports it took), flow control, the control lines and break.
#include "devices/serial_port_component.h"

#include "devices/device_line_settings.h"
#include "devices/line_settings.h"

#include <QSerialPort>
#include <QStringList>

namespace {

QString parityText(QSerialPort::Parity parity)
{
    switch (parity) {
    case QSerialPort::NoParity:
        return SerialPortComponent::tr("no parity");
    case QSerialPort::EvenParity:
        return SerialPortComponent::tr("even parity");
    case QSerialPort::OddParity:
        return SerialPortComponent::tr("odd parity");
    case QSerialPort::MarkParity:
        return SerialPortComponent::tr("mark parity");
    case QSerialPort::SpaceParity:
        return SerialPortComponent::tr("space parity");
    }
    return SerialPortComponent::tr("parity %1").arg(int(parity));
}

QString stopBitsText(QSerialPort::StopBits bits)
{
    switch (bits) {
    case QSerialPort::OneStop:
        return SerialPortComponent::tr("1 stop bit");
    case QSerialPort::OneAndHalfStop:
        return SerialPortComponent::tr("1.5 stop bits");
    case QSerialPort::TwoStop:
        return SerialPortComponent::tr("2 stop bits");
    }
    return SerialPortComponent::tr("%1 stop bits").arg(int(bits));
}

QString listText(const QStringList &items)
{
    if (items.size() <= 1)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) +
           SerialPortComponent::tr(" and ") + items.last();
}

} // namespace

template <typename Call> bool SerialPortComponent::quietly(Call call)
{
    if (!openState())
        return false;
    m_quiet = true;
    const bool done = call();
    if (m_port && m_port->error() != QSerialPort::NoError)
        m_port->clearError();
    m_quiet = false;
    return done;
}

QString SerialPortComponent::setLineSettings(const QString &settings)
{
    const LineSettingsParse parsed = parseLineSettings(settings);
    if (!parsed.ok)
        return parsed.error;
    if (!openState())
        return SerialPortComponent::tr("the serial port is not open");

    const LineSettings &wanted = parsed.settings;
    QStringList refused;
    // A refused setting is answered by the return value; the port stays open.
    quietly([&] {
        if (!m_port->setBaudRate(wanted.baudRate))
            refused.append(QStringLiteral("speed %1").arg(wanted.baudRate));
        if (!m_port->setDataBits(wanted.dataBits))
            refused.append(QStringLiteral("%1 data bits").arg(int(wanted.dataBits)));
        if (!m_port->setParity(wanted.parity))
            refused.append(parityText(wanted.parity));
        if (!m_port->setStopBits(wanted.stopBits))
            refused.append(stopBitsText(wanted.stopBits));
        return true;
    });
    const std::optional<LineSettings> readBack = readDeviceLineSettings(int(m_port->handle()));
    if (refused.isEmpty() && readBack)
        refused = refusalsInReadBack(wanted, *readBack);

    if (refused.isEmpty()) {
        m_inUse = readBack.value_or(wanted);
        return {};
    }
    // The port goes on as it was: a changed setting is not left half made.
    if (m_inUse)
        applyQuietly(*m_inUse);
    return SerialPortComponent::tr("the device refused %1").arg(listText(refused));
}

QStringList SerialPortComponent::refusalsInReadBack(const LineSettings &wanted,
                                                    const LineSettings &readBack)
{
    QStringList refused;
    // Drivers round a speed to one their clock makes; a rate far from the
    // one asked was not taken.
    const double ratio = double(readBack.baudRate) / double(wanted.baudRate);
    if (ratio < 1.0 - maxSpeedDeviation || ratio > 1.0 + maxSpeedDeviation)
        refused.append(SerialPortComponent::tr("speed %1 (it runs at %2)")
                           .arg(wanted.baudRate)
                           .arg(readBack.baudRate));
    if (readBack.dataBits != wanted.dataBits)
        refused.append(QStringLiteral("%1 data bits").arg(int(wanted.dataBits)));
    if (readBack.parity != wanted.parity)
        refused.append(parityText(wanted.parity));
    if (readBack.stopBits != wanted.stopBits && wanted.stopBits != QSerialPort::OneAndHalfStop)
        refused.append(stopBitsText(wanted.stopBits));
    return refused;
}

void SerialPortComponent::applyQuietly(const LineSettings &settings)
{
    quietly([&] {
        return m_port->setBaudRate(settings.baudRate) && m_port->setDataBits(settings.dataBits) &&
               m_port->setParity(settings.parity) && m_port->setStopBits(settings.stopBits);
    });
}

QString SerialPortComponent::settingsInUse() const
{
    return openState() && m_inUse ? lineSettingsText(*m_inUse) : QString();
}

QString SerialPortComponent::setFlowControl(FlowControl flow)
{
    if (!openState())
        return SerialPortComponent::tr("the serial port is not open");
    QString reason;
    const auto wanted = flow == FlowControl::RtsCts    ? QSerialPort::HardwareControl
                        : flow == FlowControl::XonXoff ? QSerialPort::SoftwareControl
                                                       : QSerialPort::NoFlowControl;
    quietly([&] {
        if (m_port->setFlowControl(wanted))
            return true;
        reason = SerialPortComponent::tr("the device refused the flow control: %1")
                     .arg(m_port->errorString());
        return false;
    });
    return reason;
}

bool SerialPortComponent::setOutputLines(bool dtr, bool rts)
{
    return quietly([&] {
        if (!m_port->setDataTerminalReady(dtr))
            return false;
        // Under RTS/CTS flow control the driver owns RTS; Qt refuses to set it.
        return m_port->flowControl() == QSerialPort::HardwareControl ||
               m_port->setRequestToSend(rts);
    });
}

std::optional<InputLines> SerialPortComponent::readInputLines()
{
    QSerialPort::PinoutSignals lines;
    const bool read = quietly([&] {
        lines = m_port->pinoutSignals();
        return m_port->error() == QSerialPort::NoError;
    });
    if (!read)
        return std::nullopt;
    return InputLines{lines.testFlag(QSerialPort::ClearToSendSignal),
                      lines.testFlag(QSerialPort::DataSetReadySignal),
                      lines.testFlag(QSerialPort::DataCarrierDetectSignal),
                      lines.testFlag(QSerialPort::RingIndicatorSignal)};
}

bool SerialPortComponent::setBreak(bool on)
{
    return quietly([&] { return m_port->setBreakEnabled(on); });
}
