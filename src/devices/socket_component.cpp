#include "devices/socket_component.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

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
    if (m_socket) {
        disconnect(m_socket, nullptr, this, nullptr);
        m_socket->abort();
        delete m_socket;
        m_socket = nullptr;
    }
}

void SocketComponent::connectToPeer()
{
    dropSocket(true);

    m_socket = new QTcpSocket(this);
    // At most this much per receive event: a flood then arrives as a run of
    // small events and the window stays responsive between them; the rest
    // waits in the system's buffer.
    m_socket->setReadBufferSize(64 * 1024);
    connect(m_socket, &QTcpSocket::connected, this, &SocketComponent::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &SocketComponent::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &SocketComponent::onSocketError);
    connect(m_socket, &QTcpSocket::disconnected, this, &SocketComponent::onDisconnected);

    m_connectTimer->start();
    // A numeric address can connect or fail inside connectToHost(); the
    // report must still come after this call has returned.
    m_inConnectCall = true;
    m_socket->connectToHost(m_host, m_port);
    m_inConnectCall = false;
}

void SocketComponent::close()
{
    dropSocket(true);
}

void SocketComponent::dropSocket(bool letPendingOut)
{
    ++m_attempt;
    m_connectTimer->stop();
    if (!m_socket)
        return;

    QTcpSocket *socket = std::exchange(m_socket, nullptr);
    disconnect(socket, nullptr, this, nullptr);
    if (letPendingOut && socket->state() == QAbstractSocket::ConnectedState) {
        // Let what was already sent go out before the connection ends.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(closeGraceMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        if (socket->state() == QAbstractSocket::UnconnectedState)
            socket->deleteLater();
    } else {
        socket->abort();
        // Not deleted at once: this may run inside one of the socket's signals.
        socket->deleteLater();
    }
}

bool SocketComponent::isConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

bool SocketComponent::isActive() const
{
    if (!m_socket)
        return false;
    switch (m_socket->state()) {
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
    case QAbstractSocket::ConnectedState:
        return true;
    default:
        return false;
    }
}

void SocketComponent::sendText(const QByteArray &bytes)
{
    if (isActive() && !bytes.isEmpty())
        m_socket->write(bytes);
}

void SocketComponent::onConnected()
{
    m_connectTimer->stop();
    if (m_inConnectCall) {
        const quint64 attempt = m_attempt;
        QMetaObject::invokeMethod(
            this,
            [this, attempt] {
                if (attempt == m_attempt)
                    emit connected();
            },
            Qt::QueuedConnection);
        return;
    }
    emit connected();
}

void SocketComponent::onReadyRead()
{
    if (!m_socket)
        return;
    const QByteArray batch = m_socket->readAll();
    if (!batch.isEmpty())
        emit received(batch);
}

void SocketComponent::onSocketError()
{
    if (!m_socket)
        return;
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        fail(QStringLiteral("the peer closed the connection"));
    else
        fail(m_socket->errorString());
}

void SocketComponent::onDisconnected()
{
    fail(QStringLiteral("the peer closed the connection"));
}

void SocketComponent::onConnectTimeout()
{
    fail(QStringLiteral("no answer from %1 port %2 within %3 seconds")
             .arg(m_host)
             .arg(m_port)
             .arg(connectTimeoutMs / 1000));
}

void SocketComponent::fail(const QString &reason)
{
    if (!m_socket)
        return;

    // Keep what the peer sent before the end: dropping the socket loses it.
    const QByteArray leftover = m_socket->readAll();
    const bool deferred = m_inConnectCall;
    dropSocket(false);
    const quint64 attempt = m_attempt;

    if (deferred) {
        QMetaObject::invokeMethod(
            this,
            [this, attempt, reason] {
                if (attempt == m_attempt)
                    emit failed(reason);
            },
            Qt::QueuedConnection);
        return;
    }

    if (!leftover.isEmpty()) {
        const QPointer<SocketComponent> self(this);
        emit received(leftover);
        if (!self || attempt != m_attempt)
            return;
    }
    emit failed(reason);
}
