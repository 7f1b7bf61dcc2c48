// What the link does when its port or connection is lost: reports it, or
// waits for the device or peer and reconnects; a listening channel's client
// leaving.
#include "devices/channel_link.h"

#include "devices/control_lines.h"
#include "devices/line_settings.h"
#include "devices/link_reconnect.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "devices/tcp_listener.h"
#include "devices/telnet_com_port.h"
#include "devices/transmit_queue.h"

#include <QFileInfo>

qint64 ChannelLink::dropUnsent(qint64 held)
{
    const qint64 queued = m_queue->pending();
    m_queue->clear();
    if (queued + held > 0)
        emit unsentDropped(queued, held);
    return queued + held;
}

void ChannelLink::startWaiting(const Failure &loss, const QString &note, qint64 dropped)
{
    m_lines->closed();
    m_loss = loss;
    emit waiting(dropped > 0 ? tr("%1; %2 bytes not sent were dropped").arg(note).arg(dropped)
                             : note);
}

bool ChannelLink::waitForAbsentDevice(const Failure &failure, const QString &settings)
{
    // A port number names no device until one is numbered, and a device
    // that is there but would not open won't change by waiting: only a path
    // with nothing at it (a link leading nowhere counts) is waited for.
    const QString path = m_serial->portName();
    if (!m_options.reconnect || failure.deviceRefused || path.isEmpty() || QFileInfo::exists(path))
        return false;
    m_settings = settings;
    setRoute(Route::Serial);
    m_reconnect->waitForDevice(path);
    startWaiting(failure, logNote("waiting for %1 to appear").arg(path), 0);
    return true;
}

void ChannelLink::onSerialFailed(const QString &reason)
{
    const QString port = m_serial->portName();
    const Failure loss{tr("Comm Port %1: the port %2 stopped working.").arg(m_number).arg(port),
                       reason};
    // What waited to go out is lost with the port.
    const qint64 dropped = dropUnsent(m_serial->droppedAtFailure());
    if (m_options.reconnect && m_route == Route::Serial) {
        m_reconnect->waitForDevice(port);
        startWaiting(loss, logNote("lost %1 (%2); waiting for it").arg(port, reason), dropped);
        return;
    }
    close();
    emit lost(loss.text, loss.detail);
}

void ChannelLink::onSocketConnected()
{
    m_tcpMade = true;
    if (m_network == Network::Listen)
        return;
    if (m_network == Network::Rfc2217) {
        const LineSettingsParse parsed = parseLineSettings(m_settings);
        m_telnet->connected(parsed.ok ? parsed.settings : LineSettings{}, m_options);
    }
    if (!m_reconnect->isWaiting())
        return;
    m_reconnect->reconnected();
    emit reconnected(logNote("reconnected to %1:%2")
                         .arg(m_socket->remoteHostName())
                         .arg(m_socket->remotePortNumber()));
}

void ChannelLink::onSocketFailed(const QString &reason)
{
    // Counted in data bytes: on an RFC 2217 link the socket's queue also
    // holds escapes and commands.
    const qint64 unsent = m_network == Network::Rfc2217
                              ? m_telnet->unsentData(m_socket->droppedAtFailure())
                              : m_socket->droppedAtFailure();
    m_telnet->closed();
    if (m_route == Route::Tcp && m_network == Network::Listen) {
        onClientLeft(reason);
        return;
    }
    if (m_route == Route::Tcp && m_reconnect->isWaiting()) {
        m_reconnect->retryLater();
        return;
    }
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
    const Failure loss{text.arg(host, port), reason};
    // What waited to go out is lost with the connection.
    const qint64 dropped = dropUnsent(unsent);
    // Only a connection that was made is waited for: a switch-on that fails
    // is reported as always.
    if (m_options.reconnect && m_route == Route::Tcp && m_tcpMade) {
        const QString peer = host + QLatin1Char(':') + port;
        m_reconnect->waitForPeer(peer);
        startWaiting(loss, logNote("lost %1 (%2); reconnecting").arg(peer, reason), dropped);
        return;
    }
    // Whatever the peer sent before the end has been handed on by now.
    close();
    emit lost(loss.text, loss.detail);
}

void ChannelLink::onReconnectDue()
{
    if (m_route == Route::Tcp) {
        m_socket->connectToPeer();
        return;
    }
    const QString port = m_serial->portName();
    const std::optional<Failure> failure = openSerial(port, m_settings);
    if (!failure) {
        m_reconnect->stop();
        emit reconnected(logNote("reconnected to %1").arg(port));
        return;
    }
    // A device that does not open yet (its permissions not set up, say) is
    // tried again at the next check; one that opens but refuses the settings
    // won't take them later either.
    if (failure->deviceRefused) {
        close();
        emit lost(failure->text, failure->detail);
    }
}

void ChannelLink::onClientLeft(const QString &reason)
{
    const QString peer = m_socket->clientPeer();
    dropUnsent(m_socket->droppedAtFailure());
    m_listener->clientLeft();
    emit clientNoted(logNote("client %1 left (%2)").arg(peer, reason));
}
