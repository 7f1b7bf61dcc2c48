// A channel listening on 127.0.0.1: one client is served, shown and sent
// to as over a connection the channel made; a second is turned away while
// the first stays; a client that leaves lets the next one in.
#include "devices/capture_session.h"
#include "support/tcp_peer.h"
#include "ui/channel_status.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace {

std::unique_ptr<QTcpSocket> connectedClient(quint16 port)
{
    auto client = std::make_unique<QTcpSocket>();
    client->connectToHost(QHostAddress::LocalHost, port);
    return client->waitForConnected(5000) ? std::move(client) : nullptr;
}

// Runs the event loop (the channel writes from it) until `count` bytes came.
QByteArray readFrom(QTcpSocket &client, qsizetype count)
{
    QByteArray out;
    QDeadlineTimer deadline(5000);
    while (out.size() < count && !deadline.hasExpired()) {
        QTest::qWait(5);
        out += client.readAll();
    }
    return out;
}

} // namespace

class TestTcpListen : public QObject
{
    Q_OBJECT

private slots:
    void servesOneClientAtATime();
};

void TestTcpListen::servesOneClientAtATime()
{
    CaptureSession session;
    for (int n : {1, 2}) {
        Channel &channel = session.channel(n);
        const quint16 port = TcpPeer::refusedPort();
        QSignalSpy notes(&channel, &Channel::linkNoted);
        QByteArray received;
        QObject::connect(&channel, &Channel::batchReceived,
                         [&received](const QByteArray &batch) { received += batch; });
        channel.switchOnNetwork(ChannelLink::Network::Listen, QStringLiteral("127.0.0.1"),
                                QString::number(port), {});
        QVERIFY(channel.isOn());
        QVERIFY(channel.isWaiting()); // nothing is sent before a client comes
        QVERIFY(
            channelStatusText(channel, session.recordings()).contains(QStringLiteral("listening")));

        auto first = connectedClient(port);
        QVERIFY(first);
        QTRY_VERIFY(!channel.isWaiting());
        first->write("from the client \xff");
        QTRY_COMPARE(received, QByteArray("from the client \xff"));
        QVERIFY(channel.sendUntyped(Transmission(QByteArray("to the client"))));
        QCOMPARE(readFrom(*first, 13), QByteArray("to the client"));

        // A second client is accepted and closed at once; the first stays.
        auto second = connectedClient(port);
        QVERIFY(second);
        QTRY_COMPARE(second->state(), QAbstractSocket::UnconnectedState);
        QTRY_VERIFY(notes.size() >= 2);
        QVERIFY(notes.at(1).at(0).toString().startsWith(QStringLiteral("turned away")));
        QVERIFY(channel.sendUntyped(Transmission(QByteArray("still"))));
        QCOMPARE(readFrom(*first, 5), QByteArray("still"));

        // The first leaves: noted, the channel stays on, the next comes in.
        first->disconnectFromHost();
        QTRY_VERIFY(channel.isWaiting());
        QVERIFY(channel.isOn());
        QVERIFY(notes.constLast().at(0).toString().contains(QStringLiteral("left")));
        auto third = connectedClient(port);
        QVERIFY(third);
        QTRY_VERIFY(!channel.isWaiting());
        third->write("again");
        QTRY_VERIFY(received.endsWith("again"));
        channel.switchOff();
    }
}

QTEST_GUILESS_MAIN(TestTcpListen)
#include "tst_tcp_listen.moc"
