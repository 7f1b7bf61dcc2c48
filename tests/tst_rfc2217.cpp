// A channel on a serial port on another machine: ser2net serves a
// pseudo-terminal over RFC 2217 on 127.0.0.1, and the test reads back from
// the kernel what reached the terminal.
#include "devices/capture_session.h"
#include "devices/socket_component.h"
#include "devices/telnet_com_port.h"
#include "support/byte_checks.h"
#include "support/pty_pair.h"
#include "support/ser2net_server.h"
#include "support/tcp_peer.h"
#include "ui/channel_status.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <termios.h>

namespace {

termios settingsOf(const PtyPair &pty)
{
    termios settings{};
    tcgetattr(pty.slaveFd(), &settings);
    return settings;
}

// Channel 1 connected through ser2net to a pseudo-terminal.
struct RemotePort
{
    PtyPair pty;
    Ser2NetServer server;
    CaptureSession session;
    Channel &channel = session.channel(1);

    bool start(const QString &accepter, const QString &settings,
               const LinkOptions &options = LinkOptions())
    {
        if (!pty.isOpen() || !server.start(accepter, pty.slavePath()))
            return false;
        channel.setLinkOptions(options);
        channel.switchOnNetwork(ChannelLink::Network::Rfc2217, QStringLiteral("127.0.0.1"),
                                QString::number(server.port()), settings);
        return channel.isOn();
    }
    QString status() const { return channelStatusText(channel, session.recordings()); }
};

} // namespace

class TestRfc2217 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void settingsReachTheDevice_data();
    void settingsReachTheDevice();
    void everyByteValueArrivesExactlyBothWays();
    void liveChangeReachesTheDeviceOnTheSameConnection();
    void unansweredControlLinesAreReportedOnce();
    void serverWithoutTheOptionLeavesRawTelnet();
    void answersThatDifferAreShownAndNoted();
    void floodedRequestsPauseReadingWhileAnswersUnread();
};

void TestRfc2217::init()
{
    if (!Ser2NetServer::isInstalled())
        QSKIP("ser2net is not installed (/usr/sbin/ser2net): apt-get install ser2net");
}

void TestRfc2217::settingsReachTheDevice_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<FlowControl>("flow");
    QTest::addColumn<tcflag_t>("speed"); // as Linux keeps it in c_cflag
    QTest::addColumn<bool>("twoStop");
    // A pseudo-terminal keeps the speed, the stop bits and RTS/CTS; the
    // kernel sets it back to 8 data bits without parity whatever is asked.
    QTest::newRow("115200,n,8,1") << "115200,n,8,1" << FlowControl::None << tcflag_t(B115200)
                                  << false;
    QTest::newRow("1200,e,7,2 RTS/CTS")
        << "1200,e,7,2" << FlowControl::RtsCts << tcflag_t(B1200) << true;
    QTest::newRow("19200,o,8,1 XON/XOFF")
        << "19200,o,8,1" << FlowControl::XonXoff << tcflag_t(B19200) << false;
}

void TestRfc2217::settingsReachTheDevice()
{
    QFETCH(QString, settings);
    QFETCH(FlowControl, flow);
    QFETCH(tcflag_t, speed);
    QFETCH(bool, twoStop);
    RemotePort remote;
    LinkOptions options;
    options.flow = flow;
    QVERIFY(remote.start(QStringLiteral("telnet(rfc2217)"), settings, options));
    QTRY_COMPARE_WITH_TIMEOUT(settingsOf(remote.pty).c_cflag & CBAUD, speed, 10000);
    // The speed is sent first: once the flow control is there, all is.
    const tcflag_t hardware = flow == FlowControl::RtsCts ? tcflag_t(CRTSCTS) : 0;
    const tcflag_t software = flow == FlowControl::XonXoff ? tcflag_t(IXON | IXOFF) : 0;
    QTRY_COMPARE_WITH_TIMEOUT(settingsOf(remote.pty).c_cflag & CRTSCTS, hardware, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(settingsOf(remote.pty).c_iflag & (IXON | IXOFF), software, 10000);
    QCOMPARE(bool(settingsOf(remote.pty).c_cflag & CSTOPB), twoStop);
    QVERIFY2(
        remote.status().contains(
            QStringLiteral("RFC 2217 127.0.0.1:%1 %2").arg(remote.server.port()).arg(settings)),
        qPrintable(remote.status()));
}

void TestRfc2217::everyByteValueArrivesExactlyBothWays()
{
    RemotePort remote;
    QVERIFY(remote.start(QStringLiteral("telnet(rfc2217)"), QStringLiteral("9600,n,8,1")));
    QByteArray received;
    QObject::connect(&remote.channel, &Channel::batchReceived,
                     [&received](const QByteArray &batch) { received += batch; });
    // Random bytes hold every value, and runs of 0xFF.
    const QByteArray bytes = randomBytes(4096, 3) + QByteArray(300, char(0xff));
    QTRY_VERIFY_WITH_TIMEOUT(remote.channel.link().socket()->isConnected(), 10000);
    QVERIFY(remote.channel.sendUntyped(Transmission(bytes)));
    QCOMPARE(remote.pty.read(bytes.size(), 10000).toHex(), bytes.toHex());
    remote.pty.write(bytes);
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), bytes.size(), 10000);
    QCOMPARE(received.toHex(), bytes.toHex());
    QCOMPARE(remote.channel.sentCount(), bytes.size());
}

void TestRfc2217::liveChangeReachesTheDeviceOnTheSameConnection()
{
    RemotePort remote;
    QVERIFY(remote.start(QStringLiteral("telnet(rfc2217)"), QStringLiteral("9600,n,8,1")));
    QTRY_VERIFY_WITH_TIMEOUT(remote.status().contains(QStringLiteral(" 9600,n,8,1")), 10000);
    QSignalSpy switches(&remote.channel, &Channel::onChanged);
    QSignalSpy connections(remote.channel.link().socket(), &SocketComponent::connected);

    QCOMPARE(remote.channel.changeSettings(QStringLiteral("57600,n,8,2")), QString());
    // The server sets speed and stop bits by separate requests: wait for both.
    QTRY_COMPARE_WITH_TIMEOUT(settingsOf(remote.pty).c_cflag & CBAUD, tcflag_t(B57600), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(settingsOf(remote.pty).c_cflag & CSTOPB, 10000);
    QTRY_VERIFY2(remote.status().contains(QStringLiteral(" 57600,n,8,2")),
                 qPrintable(remote.status()));
    QCOMPARE(switches.count(), 0);
    QCOMPARE(connections.count(), 0); // the same connection
}

void TestRfc2217::unansweredControlLinesAreReportedOnce()
{
    // A pseudo-terminal has no DTR or RTS: the server leaves them unanswered.
    RemotePort remote;
    QSignalSpy notes(&remote.channel, &Channel::remoteNoted);
    QVERIFY(remote.start(QStringLiteral("telnet(rfc2217)"), QStringLiteral("9600,n,8,1")));
    QVERIFY(notes.wait(10000));
    QVERIFY2(remote.status().contains(QStringLiteral("no control lines")),
             qPrintable(remote.status()));
    LinkOptions options = remote.channel.linkOptions();
    options.dtr = false;
    remote.channel.setLinkOptions(options);
    QVERIFY(!notes.wait(TelnetComPort::answerMs + 500));
    QCOMPARE(notes.size(), 1);
}

void TestRfc2217::serverWithoutTheOptionLeavesRawTelnet()
{
    RemotePort remote;
    QSignalSpy notes(&remote.channel, &Channel::remoteNoted);
    QVERIFY(remote.start(QStringLiteral("telnet"), QStringLiteral("9600,n,8,1")));
    QVERIFY(notes.wait(10000));
    QVERIFY2(remote.status().contains(QStringLiteral("raw Telnet")), qPrintable(remote.status()));
    QVERIFY(remote.channel.sendUntyped(Transmission(QByteArray("a\xff"
                                                               "b"))));
    QCOMPARE(remote.pty.read(3, 10000), QByteArray("a\xff"
                                                   "b"));
    QCOMPARE(notes.size(), 1);
}

void TestRfc2217::answersThatDifferAreShownAndNoted()
{
    // ser2net answers every setting as asked: this server, played by the
    // test, keeps 4800 baud and no flow control whatever it is asked.
    TcpPeer server;
    CaptureSession session;
    Channel &channel = session.channel(2);
    LinkOptions options;
    options.flow = FlowControl::RtsCts;
    channel.setLinkOptions(options);
    QSignalSpy notes(&channel, &Channel::remoteNoted);
    channel.switchOnNetwork(ChannelLink::Network::Rfc2217, QStringLiteral("127.0.0.1"),
                            QString::number(server.port()), QStringLiteral("9600,n,8,1"));
    QVERIFY(server.waitForClient());
    QVERIFY(server.received(9).endsWith(QByteArray::fromHex("fffb2c"))); // WILL COM-PORT-OPTION
    server.send(QByteArray::fromHex("fffd00"
                                    "fffb00"
                                    "fffd2c"));                         // binary both ways, DO it
    const QByteArray askedFlow = QByteArray::fromHex("fffa2c0503fff0"); // RTS/CTS
    QTRY_VERIFY(server.receivedFor(50).contains(askedFlow));
    server.send(QByteArray::fromHex("fffa2c65000012c0fff0" // 4800 baud
                                    "fffa2c6901fff0"));    // no flow control
    QTRY_COMPARE(notes.size(), 2);
    QCOMPARE(notes.at(0).at(0).toString(),
             QStringLiteral("the server set 4800 baud instead of 9600"));
    QCOMPARE(notes.at(1).at(0).toString(),
             QStringLiteral("the server set flow control none instead of RTS/CTS"));
    const QString status = channelStatusText(channel, session.recordings());
    QVERIFY2(status.contains(QStringLiteral(" 4800,n,8,1")), qPrintable(status));
}

void TestRfc2217::floodedRequestsPauseReadingWhileAnswersUnread()
{
    // A server floods IAC DO for an option we refuse and reads none of our
    // answers: those waiting stay bounded and reading pauses, until it reads.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    SocketComponent socket;
    TelnetComPort remote(socket);
    int pauseNotes = 0; // the option's own time-out may note its refusal too
    connect(&remote, &TelnetComPort::noted, &remote,
            [&](const QString &note) { pauseNotes += note.contains(u"reading paused"); });
    qint64 mostWaiting = 0;
    connect(&socket, &SocketComponent::connected, &remote,
            [&] { remote.connected(LineSettings{}, LinkOptions{}); });
    connect(&socket, &SocketComponent::received, &remote, [&](const QByteArray &batch) {
        remote.receive(batch);
        mostWaiting = std::max(mostWaiting, socket.bytesToWrite());
    });
    socket.setRemoteHostName(QStringLiteral("127.0.0.1"));
    socket.setRemotePortNumber(server.serverPort());
    socket.connectToPeer();
    QVERIFY(server.waitForNewConnection(5000));
    QTcpSocket *peer = server.nextPendingConnection();
    // Small kernel buffers on the server's side, and nothing read from them.
    peer->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 16384);
    peer->setReadBufferSize(1);
    peer->write(QByteArray("\xff\xfd\x63").repeated((16 << 20) / 3));

    QTRY_VERIFY_WITH_TIMEOUT(socket.isReadingPaused(), 60000);
    QVERIFY(mostWaiting <= TelnetComPort::maxUnsentAnswers + (64 << 10)); // one read past it
    QVERIFY(peer->bytesToWrite() > 0);                                    // held back
    connect(peer, &QTcpSocket::readyRead, peer, [peer] { peer->readAll(); });
    peer->readAll();
    peer->setReadBufferSize(0);
    QTRY_COMPARE_WITH_TIMEOUT(peer->bytesToWrite(), qint64(0), 60000);
    QTRY_VERIFY(!socket.isReadingPaused());
    QVERIFY(socket.isConnected());
    QCOMPARE(pauseNotes, 1);
}

QTEST_GUILESS_MAIN(TestRfc2217)
#include "tst_rfc2217.moc"
