#include "devices/tcp_connection.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// At most this much per read: a flood then arrives as a run of small
// batches, and the window stays responsive between them.
constexpr qsizetype readChunk = 64 * 1024;

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

TcpConnection::TcpConnection(QObject *parent)
    : QObject(parent)
{}

TcpConnection::~TcpConnection()
{
    closeSocket();
}

namespace {

// What the channel hands the socket goes out at once (no Nagle delay): a
// typed key, a send button or a bridged batch never waits for the peer to
// acknowledge the bytes before it. Larger writes are whole segments anyway.
void sendWithoutDelay(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

} // namespace

void TcpConnection::start(const QHostAddress &address, quint16 port)
{
    sockaddr_storage peer{};
    socklen_t length = 0;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto *six = reinterpret_cast<sockaddr_in6 *>(&peer);
        six->sin6_family = AF_INET6;
        six->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&six->sin6_addr, &bytes, sizeof bytes);
        length = sizeof *six;
    } else {
        auto *four = reinterpret_cast<sockaddr_in *>(&peer);
        four->sin_family = AF_INET;
        four->sin_port = htons(port);
        four->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof *four;
    }

    m_state = State::Connecting;
    m_fd = ::socket(peer.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int error = m_fd < 0 ? errno : 0;
    if (m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr *>(&peer), length) != 0 &&
        errno != EINPROGRESS)
        error = errno;
    if (error != 0) {
        // Reported from the event loop, like every other outcome.
        QTimer::singleShot(0, this, [this, error] { endWith(error); });
        return;
    }
    sendWithoutDelay(m_fd);
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &TcpConnection::onReadable);
    // The socket turns writable once the attempt is decided.
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &TcpConnection::onWritable);
}

void TcpConnection::adopt(int fd)
{
    m_fd = fd;
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    sendWithoutDelay(m_fd);
    m_state = State::Connected;
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &TcpConnection::onReadable);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(bytesToWrite() > 0);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &TcpConnection::onWritable);
}

void TcpConnection::onWritable()
{
    if (m_state == State::Connecting)
        finishConnecting();
    else
        writePending();
}

void TcpConnection::finishConnecting()
{
    // The outcome is read from the socket, never by calling connect() again:
    // on a socket the peer has reset, that would start a new connection.
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        error = errno;
    if (error == ECONNRESET) {
        // Accepted, then reset: whatever the peer sent first is still there.
        int readError = 0;
        while (m_state == State::Connecting && readAvailable(&readError)) {
        }
        if (m_state == State::Connecting)
            endWith(ECONNRESET);
        return;
    }
    if (error != 0) {
        endWith(error);
        return;
    }
    m_state = State::Connected;
    m_writeNotifier->setEnabled(bytesToWrite() > 0);
    m_readNotifier->setEnabled(!m_readingPaused);
    emit connected();
}

bool TcpConnection::readAvailable(int *error)
{
    QByteArray batch(readChunk, Qt::Uninitialized);
    const ssize_t n = ::recv(m_fd, batch.data(), size_t(batch.size()), 0);
    *error = n < 0 ? errno : 0;
    if (n <= 0)
        return false;
    batch.truncate(n);
    const QPointer<TcpConnection> self(this);
    emit received(batch);
    return self && m_fd >= 0;
}

void TcpConnection::onReadable()
{
    if (m_state == State::Closing) {
        discardIncoming();
        return;
    }
    int error = 0;
    if (readAvailable(&error) || m_fd < 0)
        return;
    if (error == 0)
        endWith(0); // an orderly close
    else if (!wouldBlock(error))
        endWith(error);
}

void TcpConnection::send(QByteArrayView bytes)
{
    if (bytes.isEmpty() || m_state == State::Closing || m_state == State::Done)
        return;
    if (m_written > 0 && m_written >= m_outgoing.size() / 2) {
        m_outgoing.remove(0, m_written);
        m_written = 0;
    }
    m_outgoing.append(bytes);
    // Written when the socket says it can take more, never from inside this
    // call: callers may send again from bytesWritten().
    if (m_state == State::Connected)
        m_writeNotifier->setEnabled(true);
}

void TcpConnection::writePending()
{
    qint64 total = 0;
    while (bytesToWrite() > 0) {
        const ssize_t n =
            ::send(m_fd, m_outgoing.constData() + m_written, size_t(bytesToWrite()), MSG_NOSIGNAL);
        if (n < 0) {
            if (wouldBlock(errno))
                break;
            endWith(errno);
            return;
        }
        m_written += n;
        total += n;
    }
    if (bytesToWrite() == 0) {
        m_outgoing.clear();
        m_written = 0;
        m_writeNotifier->setEnabled(false);
        if (m_state == State::Closing) {
            discardIncoming();
            ::shutdown(m_fd, SHUT_WR); // the peer sees an orderly end
            closeSocket();
            deleteLater();
            return;
        }
    }
    if (total > 0 && m_state == State::Connected)
        emit bytesWritten(total);
}

void TcpConnection::discardIncoming()
{
    // Nobody listens any more: read and forget, since closing a socket with
    // unread data turns the close into a reset.
    char sink[4096];
    ssize_t n = 0;
    while ((n = ::recv(m_fd, sink, sizeof sink, 0)) > 0) {
    }
    if ((n == 0 || !wouldBlock(errno)) && m_readNotifier)
        m_readNotifier->setEnabled(false); // the peer's end is reached
}

void TcpConnection::setReadingPaused(bool paused)
{
    m_readingPaused = paused;
    if (m_state == State::Connected)
        m_readNotifier->setEnabled(!paused);
}

void TcpConnection::closeGracefully(int graceMs)
{
    blockSignals(true);
    const bool connected = m_state == State::Connected;
    if (connected)
        m_state = State::Closing;
    if (connected && bytesToWrite() > 0) {
        m_readNotifier->setEnabled(true); // what still comes is read and dropped
        m_writeNotifier->setEnabled(true);
        QTimer::singleShot(graceMs, this, [this] {
            closeSocket();
            deleteLater();
        });
        return;
    }
    if (connected) {
        discardIncoming();
        ::shutdown(m_fd, SHUT_WR);
    }
    closeSocket();
    deleteLater();
}

void TcpConnection::endWith(int error)
{
    const bool wasConnected = m_state == State::Connected;
    closeSocket();
    End end = End::Other;
    QString reason;
    if (error == 0) {
        end = End::Closed;
        reason = QStringLiteral("the peer closed the connection");
    } else if (error == ECONNRESET || (error == EPIPE && wasConnected)) {
        end = End::Reset;
        reason = QStringLiteral("the peer reset the connection");
    } else if (error == ECONNREFUSED) {
        end = End::Refused;
        reason = QStringLiteral("the connection was refused: nothing listens on that port");
    } else {
        reason = QString::fromLocal8Bit(std::strerror(error));
    }
    emit ended(end, reason);
}

void TcpConnection::closeSocket()
{
    m_state = State::Done;
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

#include "moc_tcp_connection.cpp"
