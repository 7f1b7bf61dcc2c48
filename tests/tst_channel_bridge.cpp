// A bridge carries what one channel receives out of the other, both ways,
// byte-exact, while both record and neither starts a ZMODEM transfer; a slow
// reader holds a connection back with nothing lost, and a source that can't
// be held is dropped from, counted.
#include "devices/capture_session.h"
#include "devices/transmit_queue.h"
#include "support/byte_checks.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <unistd.h>

namespace {

// Channel 2 listens on 127.0.0.1; the returned client is connected to it.
std::unique_ptr<QTcpSocket> listenWithClient(Channel &channel)
{
    const quint16 port = TcpPeer::refusedPort();
    channel.switchOnNetwork(ChannelLink::Network::Listen, QStringLiteral("127.0.0.1"),
                            QString::number(port), {});
    auto client = std::make_unique<QTcpSocket>();
    client->connectToHost(QHostAddress::LocalHost, port);
    if (!client->waitForConnected(5000) || !QTest::qWaitFor([&] { return !channel.isWaiting(); }))
        return nullptr;
    return client;
}

// Writes what the pty takes now of `bytes` past `done`.
void feed(PtyPair &pty, const QByteArray &bytes, qsizetype &done)
{
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(pty.masterFd(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

// Runs the event loop, calling `pump` between its turns, until it says done.
// No sleep between turns: the pump writes to the pty itself, which wakes no
// event, and a turn of sleep each would hold 50 MB back for many seconds.
bool runUntil(const std::function<bool()> &pump)
{
    QDeadlineTimer deadline(120000); // a sanitizer build is many times slower
    while (!pump()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace

class TestChannelBridge : public QObject
{
    Q_OBJECT

private slots:
    void carriesBothWaysWhileRecording();
    void slowReaderHoldsOrDrops_data();
    void slowReaderHoldsOrDrops();
};

void TestChannelBridge::carriesBothWaysWhileRecording()
{
    CaptureSession session;
    QTemporaryDir dir;
    for (int n : {1, 2})
        QCOMPARE(session.recordings().start(RecordSource::channel(n), RecordKind::Raw,
                                            dir.filePath(QString::number(n)),
                                            FileWriter::Existing::Replace),
                 QString());
    PtyPair pty;
    session.channel(1).switchOnSerial(pty.slavePath(), QStringLiteral("115200,n,8,1"));
    QVERIFY(session.channel(1).isOn());
    auto client = listenWithClient(session.channel(2));
    QVERIFY(client);
    session.setBridge(*BridgeChoice::fromText(u"1<>2", defaultChannelCount));
    // A ZMODEM request passing through is for the far side.
    session.channel(1).setZmodemAutoStart(true);
    QSignalSpy zmodemStarts(&session.channel(1), &Channel::zmodemRequested);

    // 50 MB each way, far past every queue and buffer between the ends.
    constexpr qsizetype kEachWay = 50 * 1000 * 1000;
    const QByteArray fromDevice = "**\x18"
                                  "B00" +
                                  randomBytes(kEachWay, 31);
    const QByteArray fromPeer = randomBytes(kEachWay, 32);
    client->write(fromPeer);
    QByteArray atPeer;
    QByteArray atDevice;
    qsizetype fed = 0;
    QVERIFY(runUntil([&] {
        feed(pty, fromDevice, fed);
        atPeer += client->readAll();
        atDevice += pty.readFor(0);
        return atPeer.size() >= fromDevice.size() && atDevice.size() >= fromPeer.size();
    }));
    QVERIFY2(atPeer == fromDevice, differenceOf(atPeer, fromDevice).constData());
    QVERIFY2(atDevice == fromPeer, differenceOf(atDevice, fromPeer).constData());
    QCOMPARE(session.bridge().forward().dropped + session.bridge().back().dropped, 0);
    QCOMPARE(zmodemStarts.size(), 0);

    session.recordings().stopAll();
    session.recordings().waitForFiles();
    QCOMPARE(fileBytes(dir.filePath(QStringLiteral("1"))), fromDevice);
    QCOMPARE(fileBytes(dir.filePath(QStringLiteral("2"))), fromPeer);
}

void TestChannelBridge::slowReaderHoldsOrDrops_data()
{
    QTest::addColumn<bool>("connectionSource");
    QTest::newRow("a connection is held back") << true;
    QTest::newRow("a serial port without flow control is dropped from") << false;
}

// Channel 1 receives 8 MB while channel 2's client reads nothing; then it
// reads everything.
void TestChannelBridge::slowReaderHoldsOrDrops()
{
    QFETCH(bool, connectionSource);
    CaptureSession session;
    Channel &source = session.channel(1);
    TcpPeer peer;
    PtyPair pty;
    if (connectionSource)
        source.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(peer.port()));
    else
        source.switchOnSerial(pty.slavePath(), QStringLiteral("115200,n,8,1"));
    QVERIFY(!connectionSource || peer.waitForClient());
    auto client = listenWithClient(session.channel(2));
    QVERIFY(client);
    client->setReadBufferSize(4096); // reads no more than that ahead of readAll()
    ChannelBridge &bridge = session.bridge();
    bridge.setBound(64 * 1024);
    bridge.start(source, session.channel(2), BridgeChoice::Ways::Forward);

    const QByteArray sent = randomBytes(8 << 20, 33);
    qsizetype fed = 0;
    if (connectionSource)
        peer.send(sent);
    QVERIFY(runUntil([&] {
        if (connectionSource)
            return bridge.forward().held;
        feed(pty, sent, fed); // never held: the whole of it is read
        return source.receivedCount() == sent.size();
    }));
    const ChannelBridge::Way &way = bridge.forward();
    QCOMPARE(way.held, connectionSource);
    QVERIFY(session.channel(2).link().queue().pending() <= bridge.bound() + 64 * 1024);

    QByteArray atPeer;
    QVERIFY(runUntil([&] {
        atPeer += client->readAll();
        return way.forwarded + way.dropped == sent.size() && atPeer.size() == way.forwarded;
    }));
    QVERIFY(!way.held);
    if (connectionSource) {
        QCOMPARE(way.dropped, 0);
        QVERIFY2(atPeer == sent, differenceOf(atPeer, sent).constData());
    } else {
        QVERIFY(way.dropped > 0);
        QVERIFY(bridge.statusText().contains(QStringLiteral("dropped")));
    }
}

QTEST_MAIN(TestChannelBridge)
#include "tst_channel_bridge.moc"
