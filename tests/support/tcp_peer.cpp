#include "support/tcp_peer.h"

#include <QFile>

#include <QDeadlineTimer>
#include <QTest>

TcpPeer::TcpPeer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++m_accepted;
            m_client = socket;
            m_disconnected = false;
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this] { collect(); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket,
                             [this] { m_disconnected = true; });
        }
    });
}

bool TcpPeer::waitForClient(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!m_client && !deadline.hasExpired())
        QTest::qWait(5);
    return !m_client.isNull();
}

void TcpPeer::collect()
{
    if (m_client)
        m_received += m_client->readAll();
}

QByteArray TcpPeer::received(qsizetype count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_received.size() < count && !deadline.hasExpired())
        QTest::qWait(5);
    return m_received;
}

QByteArray TcpPeer::receivedFor(int ms)
{
    QTest::qWait(ms);
    return m_received;
}

void TcpPeer::send(const QByteArray &bytes)
{
    if (m_client) {
        m_client->write(bytes);
        m_client->flush();
    }
}

void TcpPeer::close()
{
    if (m_client)
        m_client->disconnectFromHost();
}

void TcpPeer::reset()
{
    if (m_client)
        m_client->abort();
}

bool TcpPeer::waitForDisconnect(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!m_disconnected && !deadline.hasExpired())
        QTest::qWait(5);
    return m_disconnected;
}

quint16 TcpPeer::refusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

bool TcpPeer::isListening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields.at(1) == local && fields.at(3) == "0A")
            return true;
    }
    return false;
}

bool TcpPeer::startServer(QProcess &process, const QString &program, const QStringList &arguments,
                          quint16 port)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return false;
    QDeadlineTimer deadline(10000);
    while (!isListening(port)) {
        if (deadline.hasExpired() || process.state() != QProcess::Running)
            return false;
        QTest::qWait(20);
    }
    return true;
}
