#include "devices/channel_link.h"

#include "core/leading_number.h"
#include "devices/control_lines.h"
#include "devices/line_settings.h"
#include "devices/link_reconnect.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "devices/tcp_listener.h"
#include "devices/telnet_com_port.h"
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

QStringList ChannelLink::networkEntries()
{
    return {QStringLiteral("TCP"), QStringLiteral("RFC 2217"), QStringLiteral("TCP Listen")};
}

std::optional<ChannelLink::Network> ChannelLink::networkOfEntry(const QString &portText)
{
    // As listed, in that case only: "tcp" typed is a port number.
    const qsizetype index = networkEntries().indexOf(portText);
    if (index < 0)
        return std::nullopt;
    return Network(index);
}

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
    connect(m_queue, &TransmitQueue::handedOver, this, &ChannelLink::sent);
    m_lines = new ControlLines(*m_serial, this);
    connect(m_lines, &ControlLines::changed, this, &ChannelLink::controlLinesChanged);
    m_reconnect = new LinkReconnect(this);
    connect(m_reconnect, &LinkReconnect::due, this, &ChannelLink::onReconnectDue);

    if (offersTcp) {
        m_socket = new SocketComponent(this);
        m_socket->setObjectName(QStringLiteral("sockMain"));
        m_telnet = new TelnetComPort(*m_socket, this);
        connect(m_socket, &SocketComponent::received, this, [this](const QByteArray &batch) {
            m_reconnect->carriedData();
            if (m_network == Network::Rfc2217)
                m_telnet->receive(batch);
            else
                emit received(batch, Route::Tcp);
        });
        connect(m_telnet, &TelnetComPort::received, this,
                [this](const QByteArray &data) { emit received(data, Route::Tcp); });
        connect(m_telnet, &TelnetComPort::changed, this, &ChannelLink::controlLinesChanged);
        connect(m_telnet, &TelnetComPort::noted, this, &ChannelLink::remoteNoted);
        connect(m_socket, &SocketComponent::connected, this, &ChannelLink::onSocketConnected);
        connect(m_socket, &SocketComponent::failed, this, &ChannelLink::onSocketFailed);
        connect(m_socket, &SocketComponent::bytesWritten, m_queue, &TransmitQueue::drain);
        m_listener = new TcpListener(this);
        connect(m_listener, &TcpListener::accepted, this, [this](int fd, const QString &peer) {
            m_socket->adoptClient(fd, peer);
            emit clientNoted(logNote("client %1 connected").arg(peer));
        });
        connect(m_listener, &TcpListener::turnedAway, this, [this](const QString &peer) {
            emit clientNoted(logNote("turned away %1: one client at a time").arg(peer));
        });
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
    m_reconnect->stop();
    m_lines->closed();
    m_serial->setOpenState(false);
    if (m_socket) {
        m_telnet->closed();
        m_socket->close();
        m_listener->close();
    }
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
        m_queue->setDevice(
            [this](QByteArrayView bytes) {
                if (m_network == Network::Rfc2217)
                    m_telnet->send(bytes);
                else
                    m_socket->sendText(bytes);
            },
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
    if (const std::optional<Failure> failure = openSerial(portText, settings)) {
        if (!waitForAbsentDevice(*failure, settings))
            emit switchOnFailed(failure->text, failure->detail);
        return;
    }
    m_settings = settings;
    setRoute(Route::Serial);
}

std::optional<ChannelLink::Failure> ChannelLink::openSerial(const QString &portText,
                                                            const QString &settings)
{
    m_serial->setOpenState(true);
    if (!m_serial->openState())
        return Failure{QStringLiteral("Com%1 Error!").arg(m_number), m_serial->openError()};
    // Settings reach a port only here, once it has opened.
    QString refused = m_serial->setLineSettings(settings);
    if (!refused.isEmpty()) {
        m_serial->setOpenState(false);
        return Failure{tr("Comm Port %1: port %2 can't use the settings \"%3\".")
                           .arg(m_number)
                           .arg(portText, settings),
                       refused, true};
    }
    refused = m_serial->setFlowControl(m_options.flow);
    if (!refused.isEmpty()) {
        m_serial->setOpenState(false);
        return Failure{tr("Comm Port %1: port %2 can't use the flow control chosen.")
                           .arg(m_number)
                           .arg(portText),
                       refused, true};
    }
    m_lines->opened(m_options.dtr, m_options.rts);
    return std::nullopt;
}

void ChannelLink::switchOnNetwork(Network kind, const QString &host, const QString &portText,
                                  const QString &settings)
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
    if (kind == Network::Listen) {
        switchOnListening(peer, *port);
        return;
    }
    if (peer.isEmpty()) {
        emit switchOnFailed(tr("Type the TCP host (a name or an address such as 127.0.0.1) first."),
                            {});
        return;
    }
    if (kind == Network::Rfc2217 && !parseLineSettings(settings).ok) {
        emit switchOnFailed(tr("Comm Port %1: the serial settings \"%2\" can't be sent to the "
                               "remote port.")
                                .arg(m_number)
                                .arg(settings),
                            parseLineSettings(settings).error);
        return;
    }
    m_socket->setRemoteHostName(peer);
    m_socket->setRemotePortNumber(*port);
    m_network = kind;
    m_settings = settings;
    m_tcpMade = false;
    m_socket->connectToPeer();
    setRoute(Route::Tcp);
}

void ChannelLink::switchOnListening(const QString &host, quint16 port)
{
    QHostAddress address;
    if (host == QLatin1String("*"))
        address = QHostAddress::Any;
    else if (!address.setAddress(host)) {
        emit switchOnFailed(tr("Comm Port %1 can only listen on a local address such as 127.0.0.1, "
                               "or * for every one; \"%2\" is not one.")
                                .arg(m_number)
                                .arg(host),
                            {});
        return;
    }
    const QString refused = m_listener->listen(address, port);
    if (!refused.isEmpty()) {
        emit switchOnFailed(
            tr("Comm Port %1 can't listen on %2 port %3.").arg(m_number).arg(host).arg(port),
            refused);
        return;
    }
    m_network = Network::Listen;
    m_socket->setRemoteHostName(host);
    m_socket->setRemotePortNumber(port);
    setRoute(Route::Tcp);
}

bool ChannelLink::send(const Transmission &bytes)
{
    if (m_route == Route::None || isWaiting())
        return false;
    return m_queue->push(bytes);
}

QString ChannelLink::setOptions(const LinkOptions &options)
{
    LinkOptions taken = options;
    QString refused;
    if (m_route == Route::Tcp && m_network == Network::Rfc2217)
        m_telnet->setOptions(taken);
    const bool open = m_route == Route::Serial && m_serial->openState();
    if (open && taken.flow != m_options.flow) {
        refused = m_serial->setFlowControl(taken.flow);
        if (!refused.isEmpty())
            taken.flow = m_options.flow;
    }
    // RTS goes back to its option when RTS/CTS flow control lets go of it.
    const bool linesChanged =
        taken.dtr != m_options.dtr || taken.rts != m_options.rts || taken.flow != m_options.flow;
    const bool givesUp = m_options.reconnect && !taken.reconnect && m_reconnect->isWaiting();
    m_options = taken;
    if (open && linesChanged)
        m_lines->setOutputs(taken.dtr, taken.rts);
    emit optionsChanged();
    if (givesUp) {
        close();
        emit lost(m_loss.text, m_loss.detail);
    }
    return refused;
}

bool ChannelLink::isWaiting() const
{
    const bool noClient =
        m_route == Route::Tcp && m_network == Network::Listen && !m_socket->isConnected();
    return m_reconnect->isWaiting() || noClient;
}

bool ChannelLink::sendBreak()
{
    if (m_route == Route::Tcp)
        return m_network == Network::Rfc2217 && m_telnet->sendBreak();
    return m_route == Route::Serial && m_lines->sendBreak();
}

bool ChannelLink::holdReading(bool hold)
{
    switch (m_route) {
    case Route::Tcp:
        m_socket->setReadingPaused(hold, SocketComponent::Pause::SinkFull);
        return true;
    case Route::Serial:
        // Without flow control a held port would only move the loss into
        // the driver, unseen: it is not held, and its reader drops instead.
        if (hold && m_options.flow == FlowControl::None)
            return false;
        m_serial->setReadingPaused(hold);
        return true;
    case Route::None:
        break;
    }
    return !hold;
}

QString ChannelLink::logNote(const char *text)
{
    return QString::fromLatin1(text);
}

#include "moc_channel_link.cpp"
