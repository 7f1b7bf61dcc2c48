#include "devices/socket_component.h"

#include "devices/tcp_connection.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>

namespace {

constexpr int connectTimeoutMs = 10000;
// How long a deliberately closed connection may take to hand over what is
// still waiting to be sent.
constexpr int closeGraceMs = 5000;

} // namespace

SocketComponent::SocketComponent(QObject *parent)
    : QObject(parent)
    , m_connectTimer(new QTimer(this))
{
    m_connectTimer->setSingleShot(true);
    m_connectTimer->setInterval(connectTimeoutMs);
    connect(m_connectTimer, &QTimer::timeout, this, &SocketComponent::onConnectTimeout);
}

SocketComponent::~SocketComponent()
{
    drop(false);
}

void SocketComponent::makeConnection()
{
    drop(true);
    m_lastFailure = Failure::None;
    m_clientPeer.clear();
    m_pausedFor = 0;
    m_connection = new TcpConnection(this);
    connect(m_connection, &TcpConnection::connected, this, &SocketComponent::onConnected);
    connect(m_connection, &TcpConnection::received, this, &SocketComponent::received);
    connect(m_connection, &TcpConnection::bytesWritten, this, &SocketComponent::bytesWritten);
    connect(m_connection, &TcpConnection::ended, this,
            [this](TcpConnection::End end, const QString &reason) { onEnded(int(end), reason); });
}

void SocketComponent::adoptClient(int fd, const QString &peer)
{
    makeConnection();
    m_clientPeer = peer;
    m_connection->adopt(fd);
    emit connected();
}

void SocketComponent::connectToPeer()
{
    makeConnection();
    m_connectTimer->start();

    QHostAddress address;
    if (address.setAddress(m_host)) {
        m_connection->start(address, m_port);
        return;
    }
    m_lookupId = QHostInfo::lookupHost(m_host, this, &SocketComponent::onLookedUp);
}

void SocketComponent::onLookedUp(const QHostInfo &info)
{
    if (info.lookupId() != m_lookupId || !m_connection)
        return;
    m_lookupId = -1;
    const QList<QHostAddress> addresses = info.addresses();
    if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
        fail(Failure::NotMade, QStringLiteral("the host %1 was not found").arg(m_host));
        return;
    }
    m_connection->start(addresses.first(), m_port);
}

void SocketComponent::onConnected()
{
    m_connectTimer->stop();
    emit connected();
}

void SocketComponent::onEnded(int end, const QString &reason)
{
    const bool wasConnected = isConnected();
    switch (TcpConnection::End(end)) {
    case TcpConnection::End::Refused:
        fail(Failure::Refused, reason);
        break;
    case TcpConnection::End::Reset:
        fail(Failure::Reset, reason);
        break;
    case TcpConnection::End::Closed:
        fail(Failure::Closed, reason);
        break;
    case TcpConnection::End::Other:
        fail(wasConnected ? Failure::Broken : Failure::NotMade, reason);
        break;
    }
}

void SocketComponent::onConnectTimeout()
{
    fail(Failure::NotMade,
         QStringLiteral("no answer from %1 port %2 within %3 seconds")
             .arg(m_host, QString::number(m_port), QString::number(connectTimeoutMs / 1000)));
}

void SocketComponent::fail(Failure failure, const QString &reason)
{
    if (!m_connection)
        return;
    m_droppedAtFailure = m_connection->bytesToWrite();
    drop(false);
    m_lastFailure = failure;
    emit failed(reason);
}

void SocketComponent::setReadingPaused(bool paused, Pause why)
{
    if (!m_connection)
        return;
    if (paused)
        m_pausedFor |= unsigned(why);
    else
        m_pausedFor &= ~unsigned(why);
    m_connection->setReadingPaused(m_pausedFor != 0);
}

void SocketComponent::close()
{
    drop(true);
}

void SocketComponent::drop(bool letPendingOut)
{
    m_connectTimer->stop();
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    if (!m_connection)
        return;
    TcpConnection *connection = std::exchange(m_connection, nullptr);
    disconnect(connection, nullptr, this, nullptr);
    if (letPendingOut) {
        connection->closeGracefully(closeGraceMs); // deletes itself
    } else {
        // Not deleted at once: this may run inside one of its own signals.
        connection->blockSignals(true);
        connection->deleteLater();
    }
}

bool SocketComponent::isConnected() const
{
    return m_connection && m_connection->isConnected();
}

bool SocketComponent::isActive() const
{
    return m_connection != nullptr;
}

void SocketComponent::sendText(QByteArrayView bytes)
{
    if (m_connection)
        m_connection->send(bytes);
}

qint64 SocketComponent::bytesToWrite() const
{
    return m_connection ? m_connection->bytesToWrite() : 0;
}

#include "moc_socket_component.cpp"
