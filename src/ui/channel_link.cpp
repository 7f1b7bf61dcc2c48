#include "ui/channel_link.h"

#include "core/channel_receiver.h"
#include "core/leading_number.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "ui/display_controls.h"
#include "ui/program_message.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// A TCP port typed by the operator: a whole number from 1 to 65535.
std::optional<quint16> tcpPortOf(const QString &text)
{
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok, 10);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace

ChannelLink::ChannelLink(int number, ChannelControls &controls, const QString &strSettings,
                         ChannelModes &modes, ChannelModule &module, QLineEdit *txtHost,
                         QLineEdit *txtPort, QObject *parent)
    : QObject(parent)
    , m_number(number)
    , m_controls(controls)
    , m_strSettings(strSettings)
    , m_modes(modes)
    , m_txtHost(txtHost)
    , m_txtPort(txtPort)
{
    m_receiver = new ChannelReceiver(modes, module, *controls.recvText, this);
    m_receiver->timer().setObjectName(QStringLiteral("Timer%1").arg(number));

    m_serial = new SerialPortComponent(this);
    m_serial->setObjectName(number == 1 ? QStringLiteral("SaxComm") : QStringLiteral("SaxComm1"));
    connect(m_serial, &SerialPortComponent::receiveEvent, this,
            [this] { m_receiver->receiveSerial(m_serial->receivedText()); });
    connect(m_serial, &SerialPortComponent::failed, this, &ChannelLink::onSerialFailed);

    if (txtHost && txtPort) {
        m_socket = new SocketComponent(this);
        m_socket->setObjectName(QStringLiteral("sockMain"));
        connect(m_socket, &SocketComponent::dataArrived, this,
                [this] { m_receiver->receiveSocket(m_socket->readText()); });
        connect(m_socket, &SocketComponent::failed, this, &ChannelLink::onSocketFailed);
    }
}

ChannelLink::~ChannelLink()
{
    close();
}

void ChannelLink::close()
{
    m_serial->setOpenState(false);
    if (m_socket)
        m_socket->close();
    m_route = Route::None;
}

void ChannelLink::onSwitchClicked(int index)
{
    close(); // whatever the index, what the channel had open is closed first
    if (index != 0) {
        setWorkingControlsEnabled(false);
        return;
    }
    if (m_socket && m_controls.cmbPort->currentText() == QLatin1String("TCP"))
        switchOnTcp();
    else
        switchOnSerial();
}

void ChannelLink::switchOnSerial()
{
    const QString portText = m_controls.cmbPort->currentText();
    if (portText.startsWith(QLatin1Char('/')))
        m_serial->setPortName(portText); // a device path, e.g. a pseudo-terminal
    else
        m_serial->setPortNumber(LeadingNumber::read(portText));
    m_serial->setOpenState(true);
    if (!m_serial->openState()) {
        fail(QStringLiteral("Com%1 Error!").arg(m_number), m_serial->openError());
        return;
    }
    // Settings reach a port only here, once it has opened.
    const QString refused = m_serial->setLineSettings(m_strSettings);
    if (!refused.isEmpty()) {
        m_serial->setOpenState(false);
        fail(tr("Comm Port %1: port %2 can't use the settings \"%3\".")
                 .arg(m_number)
                 .arg(portText, m_strSettings),
             refused);
        return;
    }
    m_serial->setOptionFlag(false);
    m_route = Route::Serial;
    setWorkingControlsEnabled(true);
}

void ChannelLink::switchOnTcp()
{
    const QString portText = m_txtPort->text();
    const std::optional<quint16> port = tcpPortOf(portText);
    if (!port) {
        fail(tr("The TCP port \"%1\" is not a whole number from 1 to 65535.").arg(portText));
        return;
    }
    const QString host = m_txtHost->text().trimmed();
    if (host.isEmpty()) {
        fail(tr("Type the TCP host (a name or an address such as 127.0.0.1) first."));
        return;
    }
    m_socket->setRemoteHostName(host);
    m_socket->setRemotePortNumber(*port);
    m_socket->connectToPeer();
    // On at once: what is typed while the connection is being made is queued.
    m_route = Route::Tcp;
    setWorkingControlsEnabled(true);
}

void ChannelLink::send(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    switch (m_route) {
    case Route::Serial:
        m_serial->transmitText(bytes);
        break;
    case Route::Tcp:
        m_socket->sendText(bytes);
        break;
    case Route::None:
        break;
    }
}

void ChannelLink::setWorkingControlsEnabled(bool enabled)
{
    for (QWidget *control : m_controls.workingControls())
        control->setEnabled(enabled);
}

void ChannelLink::showOff()
{
    m_controls.optOff->setChecked(true);
    setWorkingControlsEnabled(false);
}

void ChannelLink::fail(const QString &text, const QString &detail)
{
    close();
    showOff();
    showProgramMessage(m_controls.fraPort->window(), text, detail);
}

void ChannelLink::onSerialFailed(const QString &reason)
{
    m_receiver->flushPending(); // nothing received is lost
    fail(tr("Comm Port %1: the port %2 stopped working.").arg(m_number).arg(m_serial->portName()),
         reason);
}

void ChannelLink::onSocketFailed(const QString &reason)
{
    // Whatever the peer sent before the end has been read by now.
    m_receiver->flushPending();
    fail(tr("The connection to %1 port %2 ended.")
             .arg(m_socket->remoteHostName())
             .arg(m_socket->remotePortNumber()),
         reason);
}
