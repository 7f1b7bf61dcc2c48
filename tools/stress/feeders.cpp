#include "feeders.h"

#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

PtyFeeder::PtyFeeder() = default;

PtyFeeder::~PtyFeeder()
{
    if (m_writer.joinable())
        m_writer.join();
}

void PtyFeeder::start(const QByteArray &data, quint32 seed)
{
    const int master = m_pty.masterFd();
    m_writer = std::thread([this, master, data, seed] {
        QRandomGenerator random(seed);
        qsizetype at = 0;
        while (at < data.size()) {
            const qsizetype burst = qMin<qsizetype>(random.bounded(1, 4097), data.size() - at);
            qsizetype done = 0;
            while (done < burst) {
                const ssize_t n = ::write(master, data.constData() + at + done, burst - done);
                if (n > 0) {
                    done += n;
                } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                    // The device's buffer is full: wait until it takes more.
                    pollfd writable{master, POLLOUT, 0};
                    ::poll(&writable, 1, 100);
                } else if (n < 0 && errno != EINTR) {
                    m_errno = errno;
                    m_done = true;
                    return;
                }
            }
            at += burst;
        }
        m_done = true;
    });
}

QString PtyFeeder::error() const
{
    return m_errno ? QString::fromLocal8Bit(std::strerror(m_errno)) : QString();
}

// Lives in the feeder's thread: accepts one client and keeps its send buffer
// topped up until all the data is handed over.
class TcpFeederWorker : public QObject
{
public:
    TcpFeederWorker(const QByteArray &data, quint32 seed)
        : m_data(data)
        , m_random(seed)
    {}

    quint16 listen()
    {
        m_server = new QTcpServer(this);
        m_server->listen(QHostAddress::LocalHost, 0);
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = m_server->nextPendingConnection();
            if (!socket || m_client)
                return;
            m_client = socket;
            connect(socket, &QTcpSocket::bytesWritten, this, [this] { writeMore(); });
            writeMore();
        });
        return m_server->serverPort();
    }

    void stop()
    {
        delete m_server; // and the client with it
        m_server = nullptr;
        m_client = nullptr;
    }

    std::atomic<bool> handedOver{false};

private:
    void writeMore()
    {
        // A few MB waiting in Qt's buffer keeps the connection busy without
        // copying all of the data at once.
        while (m_client && m_at < m_data.size() && m_client->bytesToWrite() < (4 << 20)) {
            const qsizetype size =
                qMin<qsizetype>(m_random.bounded(1, 65537), m_data.size() - m_at);
            m_client->write(m_data.constData() + m_at, size);
            m_at += size;
        }
        if (m_client && m_at >= m_data.size() && m_client->bytesToWrite() == 0)
            handedOver = true;
    }

    const QByteArray m_data;
    QRandomGenerator m_random;
    QTcpServer *m_server = nullptr;
    QTcpSocket *m_client = nullptr;
    qsizetype m_at = 0;
};

TcpFeeder::TcpFeeder(const QByteArray &data, quint32 seed)
    : m_thread(std::make_unique<QThread>())
    , m_worker(new TcpFeederWorker(data, seed))
{
    m_worker->moveToThread(m_thread.get());
    m_thread->start();
    QMetaObject::invokeMethod(
        m_worker, [this] { return m_worker->listen(); }, Qt::BlockingQueuedConnection, &m_port);
}

TcpFeeder::~TcpFeeder()
{
    QMetaObject::invokeMethod(
        m_worker, [this] { m_worker->stop(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
}

bool TcpFeeder::finished() const
{
    return m_worker->handedOver;
}
