#include "devices/channel_link.h"

#include "core/leading_number.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "devices/transmit_queue.h"

#include <optional>

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

ChannelLink::ChannelLink(int number, bool offersTcp, QObject *parent)
    : QObject(parent)
    , m_number(number)
{
    m_serial = new SerialPortComponent(this);
    m_serial->setObjectName(number == 1 ? QStringLiteral("SaxComm") : QStringLiteral("SaxComm1"));
    connect(m_serial, &SerialPortComponent::received, this,
            [this](const QByteArray &batch) { emit received(batch, Route::Serial); });
    connect(m_serial, &SerialPortComponent::failed, this, &ChannelLink::onSerialFailed);
    m_queue = new TransmitQueue(this);
    connect(m_serial, &SerialPortComponent::bytesWritten, m_queue, &TransmitQueue::drain);

    if (offersTcp) {
        m_socket = new SocketComponent(this);
        m_socket->setObjectName(QStringLiteral("sockMain"));
        connect(m_socket, &SocketComponent::received, this,
                [this](const QByteArray &batch) { emit received(batch, Route::Tcp); });
        connect(m_socket, &SocketComponent::failed, this, &ChannelLink::onSocketFailed);
        connect(m_socket, &SocketComponent::bytesWritten, m_queue, &TransmitQueue::drain);
    }
}

ChannelLink::~ChannelLink()
{
    m_serial->setOpenState(false);
    if (m_socket)
        m_socket->close();
}

void ChannelLink::close()
{
    // What waits is handed over, as a close always did: the device lets it
    // go out if it can.
    m_queue->drainAll();
    m_queue->clear();
    m_serial->setOpenState(false);
    if (m_socket)
        m_socket->close();
    setRoute(Route::None);
}

void ChannelLink::setRoute(Route route)
{
    if (route == m_route)
        return;
    m_route = route;
    switch (route) {
    case Route::Serial:
        m_queue->setDevice([this](QByteArrayView bytes) { m_serial->transmitText(bytes); },
                           [this] { return m_serial->bytesToWrite(); });
        break;
    case Route::Tcp:
        m_queue->setDevice([this](QByteArrayView bytes) { m_socket->sendText(bytes); },
                           [this] { return m_socket->bytesToWrite(); });
        break;
    case Route::None:
        m_queue->setDevice({}, {});
        break;
    }
    emit routeChanged(route);
}

void ChannelLink::switchOnSerial(const QString &portText, const QString &settings)
{
    close();
    if (portText.startsWith(QLatin1Char('/')))
        m_serial->setPortName(portText); // a device path, e.g. a pseudo-terminal
    else
        m_serial->setPortNumber(LeadingNumber::read(portText));
    m_serial->setOpenState(true);
    if (!m_serial->openState()) {
        emit switchOnFailed(QStringLiteral("Com%1 Error!").arg(m_number), m_serial->openError());
        return;
    }
    // Settings reach a port only here, once it has opened.
    const QString refused = m_serial->setLineSettings(settings);
    if (!refused.isEmpty()) {
        m_serial->setOpenState(false);
        emit switchOnFailed(tr("Comm Port %1: port %2 can't use the settings \"%3\".")
                                .arg(m_number)
                                .arg(portText, settings),
                            refused);
        return;
    }
    setRoute(Route::Serial);
}

void ChannelLink::switchOnTcp(const QString &host, const QString &portText)
{
    close();
    if (!m_socket)
        return;
    const std::optional<quint16> port = tcpPortOf(portText);
    if (!port) {
        emit switchOnFailed(
            tr("The TCP port \"%1\" is not a whole number from 1 to 65535.").arg(portText), {});
        return;
    }
    const QString peer = host.trimmed();
    if (peer.isEmpty()) {
        emit switchOnFailed(tr("Type the TCP host (a name or an address such as 127.0.0.1) first."),
                            {});
        return;
    }
    m_socket->setRemoteHostName(peer);
    m_socket->setRemotePortNumber(*port);
    m_socket->connectToPeer();
    setRoute(Route::Tcp);
}

bool ChannelLink::send(const Transmission &bytes)
{
    if (m_route == Route::None)
        return true;
    return m_queue->push(bytes);
}

void ChannelLink::onSerialFailed(const QString &reason)
{
    const QString port = m_serial->portName();
    close();
    emit lost(tr("Comm Port %1: the port %2 stopped working.").arg(m_number).arg(port), reason);
}

void ChannelLink::onSocketFailed(const QString &reason)
{
    // Whatever the peer sent before the end has been handed on by now.
    close();
    const QString host = m_socket->remoteHostName();
    const QString port = QString::number(m_socket->remotePortNumber());
    QString text;
    switch (m_socket->lastFailure()) {
    case SocketComponent::Failure::Refused:
        text = tr("The connection to %1 port %2 was refused.");
        break;
    case SocketComponent::Failure::NotMade:
        text = tr("The connection to %1 port %2 could not be made.");
        break;
    default:
        text = tr("The connection to %1 port %2 ended.");
        break;
    }
    // Both at once, so a "%" the operator typed in the host stays as typed.
    emit lost(text.arg(host, port), reason);
}
