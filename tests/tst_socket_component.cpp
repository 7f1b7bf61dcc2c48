#include "devices/socket_component.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

QByteArray everyByteValue(int repeats = 1)
{
    QByteArray bytes;
    for (int r = 0; r < repeats; ++r) {
        for (int value = 0; value < 256; ++value)
            bytes.append(char(value));
    }
    return bytes;
}

// Reads from the server's side until `count` bytes are there or time runs out.
QByteArray readFromPeer(QTcpSocket *peer, qsizetype count, int timeoutMs = 10000)
{
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (out.size() < count && !deadline.hasExpired()) {
        out += peer->readAll();
        if (out.size() < count)
            QTest::qWait(5);
    }
    return out;
}

} // namespace

class TestSocketComponent : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void connectsAndExchangesEveryByteValue();
    void dataSentWhileConnectingArrivesInOrder();
    void refusedConnectionFailsOnce();
    void peerCloseDeliversDataThenFails_data();
    void peerCloseDeliversDataThenFails();
    void peerResetFailsOnce();
    void acceptSendResetIsReportedAsReset_data();
    void acceptSendResetIsReportedAsReset();
    void closeWithoutConnectionIsQuiet();
    void closeEndsConnectionQuietly();
    void closeLetsSentDataOut();
    void closeDuringRefusedAttemptIsQuiet();
    void sendWithoutSocketDoesNothing();
    void reconnectsAfterFailure();
    void destroyingEndsTheConnection();

private:
    // Connects `component` to the test server and returns the server's side.
    QTcpSocket *connectPeer(SocketComponent &component);
    // TCP_NODELAY on this process's socket bound to `localPort` (-1: none).
    static int noDelayOn(quint16 localPort);

    std::unique_ptr<QTcpServer> m_server;
};

void TestSocketComponent::init()
{
    m_server = std::make_unique<QTcpServer>();
    QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
}

void TestSocketComponent::cleanup()
{
    m_server.reset();
}

QTcpSocket *TestSocketComponent::connectPeer(SocketComponent &component)
{
    component.setRemoteHostName(QStringLiteral("127.0.0.1"));
    component.setRemotePortNumber(m_server->serverPort());
    QSignalSpy connected(&component, &SocketComponent::connected);
    component.connectToPeer();
    if (!QTest::qWaitFor([&] { return connected.count() == 1; }, 10000))
        return nullptr;
    if (!QTest::qWaitFor([&] { return m_server->hasPendingConnections(); }, 10000))
        return nullptr;
    QTcpSocket *peer = m_server->nextPendingConnection();
    return peer;
}

int TestSocketComponent::noDelayOn(quint16 localPort)
{
    for (int fd = 0; fd < 1024; ++fd) {
        sockaddr_in local{};
        socklen_t length = sizeof local;
        int value = 0;
        socklen_t size = sizeof value;
        if (::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length) == 0 &&
            local.sin_family == AF_INET && ntohs(local.sin_port) == localPort &&
            ::getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &value, &size) == 0)
            return value;
    }
    return -1;
}

void TestSocketComponent::connectsAndExchangesEveryByteValue()
{
    SocketComponent component;
    QSignalSpy failures(&component, &SocketComponent::failed);
    QTcpSocket *peer = connectPeer(component);
    QVERIFY(peer);
    QVERIFY(component.isConnected());
    QVERIFY(component.isActive());
    // What the channel hands the socket goes out without Nagle's wait.
    QCOMPARE(noDelayOn(peer->peerPort()), 1);

    const QByteArray outgoing = everyByteValue(64);
    component.sendText(outgoing);
    QCOMPARE(readFromPeer(peer, outgoing.size()), outgoing);

    QByteArray incoming;
    int emptyBatches = 0;
    connect(&component, &SocketComponent::received, this, [&](const QByteArray &batch) {
        emptyBatches += batch.isEmpty();
        incoming += batch;
    });
    const QByteArray sent = everyByteValue(64);
    peer->write(sent);
    QTRY_COMPARE_WITH_TIMEOUT(incoming.size(), sent.size(), 10000);
    QCOMPARE(incoming, sent);
    QCOMPARE(emptyBatches, 0);
    QCOMPARE(failures.count(), 0);
}

void TestSocketComponent::dataSentWhileConnectingArrivesInOrder()
{
    SocketComponent component;
    component.setRemoteHostName(QStringLiteral("127.0.0.1"));
    component.setRemotePortNumber(m_server->serverPort());
    QSignalSpy connected(&component, &SocketComponent::connected);
    component.connectToPeer();
    QVERIFY(component.isActive());
    component.sendText("first,");
    component.sendText("second,");
    component.sendText(everyByteValue());

    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasPendingConnections(), 10000);
    QTcpSocket *peer = m_server->nextPendingConnection();
    const QByteArray expected = "first,second," + everyByteValue();
    QCOMPARE(readFromPeer(peer, expected.size()), expected);
}

void TestSocketComponent::refusedConnectionFailsOnce()
{
    // A port that was just free: nothing listens there any more.
    const quint16 port = m_server->serverPort();
    m_server->close();

    SocketComponent component;
    QSignalSpy failures(&component, &SocketComponent::failed);
    QSignalSpy connected(&component, &SocketComponent::connected);
    component.setRemoteHostName(QStringLiteral("127.0.0.1"));
    component.setRemotePortNumber(port);
    component.connectToPeer();
    // The report always comes after connectToPeer() has returned.
    QCOMPARE(failures.count(), 0);

    QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, 10000);
    QVERIFY2(failures.at(0).at(0).toString().contains("refused", Qt::CaseInsensitive),
             qPrintable(failures.at(0).at(0).toString()));
    QVERIFY(!component.isActive());
    QVERIFY(!component.isConnected());
    QTest::qWait(300);
    QCOMPARE(failures.count(), 1);
    QCOMPARE(connected.count(), 0);
}

void TestSocketComponent::peerCloseDeliversDataThenFails_data()
{
    QTest::addColumn<bool>("paused");
    QTest::newRow("reading") << false;
    // Nothing is read, nor the close seen, until reading resumes.
    QTest::newRow("paused, then resumed") << true;
}

void TestSocketComponent::peerCloseDeliversDataThenFails()
{
    QFETCH(bool, paused);
    SocketComponent component;
    QTcpSocket *peer = connectPeer(component);
    QVERIFY(peer);
    component.setReadingPaused(paused);

    QStringList events;
    QByteArray incoming;
    QString reason;
    connect(&component, &SocketComponent::received, this, [&](const QByteArray &batch) {
        events.append("data");
        QVERIFY(!batch.isEmpty());
        incoming += batch;
    });
    connect(&component, &SocketComponent::failed, this, [&](const QString &why) {
        events.append("failed");
        reason = why;
    });

    const QByteArray sent = everyByteValue(32) + "goodbye";
    peer->write(sent);
    peer->disconnectFromHost();
    if (paused) {
        QTRY_COMPARE_WITH_TIMEOUT(peer->state(), QAbstractSocket::UnconnectedState, 10000);
        QTest::qWait(200);
        QCOMPARE(events, QStringList());
        component.setReadingPaused(false);
    }

    QTRY_VERIFY_WITH_TIMEOUT(events.contains("failed"), 10000);
    QCOMPARE(incoming, sent);
    QCOMPARE(events.first(), QStringLiteral("data"));
    QCOMPARE(events.last(), QStringLiteral("failed"));
    QCOMPARE(reason, QStringLiteral("the peer closed the connection"));
    QVERIFY(!component.isConnected());
    QVERIFY(!component.isActive());

    QTest::qWait(300);
    QCOMPARE(events.count("failed"), 1);
    QCOMPARE(incoming, sent);
}

void TestSocketComponent::peerResetFailsOnce()
{
    SocketComponent component;
    QSignalSpy failures(&component, &SocketComponent::failed);
    QTcpSocket *peer = connectPeer(component);
    QVERIFY(peer);

    peer->abort();
    QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, 10000);
    QVERIFY(!failures.at(0).at(0).toString().isEmpty());
    QVERIFY(!component.isActive());
    QTest::qWait(300);
    QCOMPARE(failures.count(), 1);
}

// A peer that accepts, sends and resets at once: the bytes are shown, the
// end is reported as a reset, and no second connection is made.
void TestSocketComponent::acceptSendResetIsReportedAsReset_data()
{
    QTest::addColumn<bool>("keepListening");
    QTest::newRow("listener still there") << true;
    QTest::newRow("listener gone") << false;
}

void TestSocketComponent::acceptSendResetIsReportedAsReset()
{
    QFETCH(bool, keepListening);

    int accepted = 0;
    connect(m_server.get(), &QTcpServer::newConnection, this, [&] {
        while (QTcpSocket *peer = m_server->nextPendingConnection()) {
            ++accepted;
            const int fd = int(peer->socketDescriptor());
            QCOMPARE(::send(fd, "hello", 5, 0), ssize_t(5));
            const linger resetAtClose{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &resetAtClose, sizeof resetAtClose);
            peer->abort();
            if (!keepListening)
                m_server->close();
        }
    });
    SocketComponent component;
    QByteArray incoming;
    connect(&component, &SocketComponent::received, this,
            [&](const QByteArray &batch) { incoming += batch; });
    QSignalSpy failures(&component, &SocketComponent::failed);
    component.setRemoteHostName(QStringLiteral("127.0.0.1"));
    component.setRemotePortNumber(m_server->serverPort());
    component.connectToPeer();

    QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, 10000);
    QCOMPARE(failures.at(0).at(0).toString(), QStringLiteral("the peer reset the connection"));
    QCOMPARE(component.lastFailure(), SocketComponent::Failure::Reset);
    QCOMPARE(incoming, QByteArray("hello"));
    QVERIFY(!component.isActive());
    QTest::qWait(300);
    QCOMPARE(accepted, 1);
    QCOMPARE(failures.count(), 1);
}

void TestSocketComponent::closeWithoutConnectionIsQuiet()
{
    SocketComponent component;
    QSignalSpy received(&component, &SocketComponent::received);
    QSignalSpy failures(&component, &SocketComponent::failed);
    component.close();
    component.close();
    QVERIFY(!component.isActive());
    QVERIFY(!component.isConnected());
    QCOMPARE(received.count(), 0);
    QTest::qWait(100);
    QCOMPARE(failures.count(), 0);
}

void TestSocketComponent::closeEndsConnectionQuietly()
{
    SocketComponent component;
    QSignalSpy failures(&component, &SocketComponent::failed);
    QTcpSocket *peer = connectPeer(component);
    QVERIFY(peer);
    QSignalSpy peerGone(peer, &QTcpSocket::disconnected);

    component.close();
    QVERIFY(!component.isActive());
    QVERIFY(!component.isConnected());
    QTRY_COMPARE_WITH_TIMEOUT(peerGone.count(), 1, 10000);
    QTest::qWait(300);
    QCOMPARE(failures.count(), 0);
    component.close();
    QCOMPARE(failures.count(), 0);
}

void TestSocketComponent::closeLetsSentDataOut()
{
    SocketComponent component;
    QTcpSocket *peer = connectPeer(component);
    QVERIFY(peer);

    const QByteArray sent = everyByteValue(1024); // more than one write can take
    component.sendText(sent);
    component.close();
    QCOMPARE(readFromPeer(peer, sent.size()), sent);
}

void TestSocketComponent::closeDuringRefusedAttemptIsQuiet()
{
    const quint16 port = m_server->serverPort();
    m_server->close();

    SocketComponent component;
    QSignalSpy failures(&component, &SocketComponent::failed);
    component.setRemoteHostName(QStringLiteral("127.0.0.1"));
    component.setRemotePortNumber(port);
    component.connectToPeer();
    component.close();
    QTest::qWait(300);
    QCOMPARE(failures.count(), 0);
    QVERIFY(!component.isActive());
}

void TestSocketComponent::sendWithoutSocketDoesNothing()
{
    SocketComponent component;
    QSignalSpy received(&component, &SocketComponent::received);
    QSignalSpy failures(&component, &SocketComponent::failed);
    component.sendText("into the void");
    QCOMPARE(received.count(), 0);
    QVERIFY(!component.isActive());
    QCOMPARE(failures.count(), 0);
    // Nothing sent before connecting leaks into a later connection.
    QTcpSocket *peer = connectPeer(component);
    QVERIFY(peer);
    component.sendText("hello");
    QCOMPARE(readFromPeer(peer, 5), QByteArray("hello"));
}

void TestSocketComponent::reconnectsAfterFailure()
{
    SocketComponent component;
    QSignalSpy failures(&component, &SocketComponent::failed);
    QTcpSocket *peer = connectPeer(component);
    QVERIFY(peer);
    peer->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, 10000);

    QTcpSocket *second = connectPeer(component);
    QVERIFY(second);
    QVERIFY(component.isConnected());
    component.sendText("again");
    QCOMPARE(readFromPeer(second, 5), QByteArray("again"));
    QCOMPARE(failures.count(), 1);
}

void TestSocketComponent::destroyingEndsTheConnection()
{
    auto component = std::make_unique<SocketComponent>();
    QTcpSocket *peer = connectPeer(*component);
    QVERIFY(peer);
    QSignalSpy peerGone(peer, &QTcpSocket::disconnected);

    component.reset();
    QTRY_COMPARE_WITH_TIMEOUT(peerGone.count(), 1, 10000);
}

QTEST_GUILESS_MAIN(TestSocketComponent)
#include "tst_socket_component.moc"
