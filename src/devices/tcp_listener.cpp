#include "devices/tcp_listener.h"

#include <QTcpServer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Hands on the raw socket instead of making a QTcpSocket of it: the channel's
// connection reads and writes the socket itself (TcpConnection).
class DescriptorServer : public QTcpServer
{
public:
    std::function<void(qintptr)> onIncoming;

protected:
    void incomingConnection(qintptr fd) override { onIncoming(fd); }
};

QString peerOf(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return QStringLiteral("?");
    QHostAddress host(reinterpret_cast<sockaddr *>(&address));
    const quint16 port = address.ss_family == AF_INET6
                             ? ntohs(reinterpret_cast<sockaddr_in6 *>(&address)->sin6_port)
                             : ntohs(reinterpret_cast<sockaddr_in *>(&address)->sin_port);
    return QStringLiteral("%1:%2").arg(host.toString()).arg(port);
}

} // namespace

TcpListener::TcpListener(QObject *parent)
    : QObject(parent)
{}

TcpListener::~TcpListener()
{
    close();
}

QString TcpListener::listen(const QHostAddress &address, quint16 port)
{
    close();
    auto *server = new DescriptorServer;
    server->setParent(this);
    server->onIncoming = [this](qintptr fd) {
        onNewConnection(fd);
    };
    m_server = server;
    if (m_server->listen(address, port))
        return {};
    const QString why = m_server->errorString();
    close();
    return why;
}

void TcpListener::close()
{
    m_serving = false;
    delete m_server;
    m_server = nullptr;
}

bool TcpListener::isListening() const
{
    return m_server && m_server->isListening();
}

void TcpListener::onNewConnection(qintptr fd)
{
    const QString peer = peerOf(int(fd));
    if (m_serving) {
        // Closed in order: the client sees the end at once.
        ::shutdown(int(fd), SHUT_RDWR);
        ::close(int(fd));
        emit turnedAway(peer);
        return;
    }
    m_serving = true;
    emit accepted(int(fd), peer);
}

#include "moc_tcp_listener.cpp"
