// A channel's link options on real parts, without a window: reconnecting
// through a symbolic link to a pseudo-terminal and to a 127.0.0.1 peer,
// control lines and flow control on a pseudo-terminal.
#include "devices/capture_session.h"
#include "devices/control_lines.h"
#include "devices/link_reconnect.h"
#include "devices/serial_port_component.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/channel_status.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <termios.h>

namespace {

constexpr tcflag_t inputFlow = IXON | IXOFF;

termios settingsOf(const PtyPair &pty)
{
    termios settings{};
    tcgetattr(pty.slaveFd(), &settings);
    return settings;
}

LinkOptions withReconnect(FlowControl flow = FlowControl::None)
{
    LinkOptions options;
    options.reconnect = true;
    options.flow = flow;
    return options;
}

// Channel 2 on a device reached through a symbolic link, as through
// /dev/serial/by-id/..., which goes when the device is unplugged.
struct Replug
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("usb-adapter"));
    std::unique_ptr<PtyPair> pty = std::make_unique<PtyPair>();
    CaptureSession session;
    Channel &channel = session.channel(2);

    explicit Replug(FlowControl flow = FlowControl::None)
    {
        QFile::link(pty->slavePath(), link);
        channel.setLinkOptions(withReconnect(flow));
        channel.switchOnSerial(link, QStringLiteral("9600,n,8,1"));
    }
    QString status() const { return channelStatusText(channel, session.recordings()); }
    // The device's end closes, then its path goes.
    bool unplug()
    {
        pty->closeMaster();
        const bool waits = QTest::qWaitFor([this] { return channel.isWaiting(); });
        QFile::remove(link);
        return waits;
    }
    void plugIn()
    {
        pty = std::make_unique<PtyPair>();
        QFile::remove(link);
        QFile::link(pty->slavePath(), link);
    }
};

} // namespace

Q_DECLARE_METATYPE(FlowControl)

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void serialReconnectsThroughTheSameLink();
    void switchOnToAnAbsentDevice_data();
    void switchOnToAnAbsentDevice();
    void tcpReconnectsWithBackOff();
    void stoppingTheWait_data();
    void stoppingTheWait();
    void backOffDoublesToTenSeconds();
    void peerDroppingEveryConnectionKeepsTheBackOff();
    void ptyRefusesControlLinesOnce();
    void flowControlIsAppliedAndKept_data();
    void flowControlIsAppliedAndKept();
};

void TestLink::serialReconnectsThroughTheSameLink()
{
    Replug r(FlowControl::XonXoff);
    QTemporaryDir logDir;
    const QString logPath = logDir.filePath(QStringLiteral("run.log"));
    r.session.recordings().start(RecordSource::channel(2), RecordKind::Log, logPath,
                                 FileWriter::Existing::Replace);
    QSignalSpy failed(&r.channel, &Channel::failed);
    QSignalSpy on(&r.channel, &Channel::onChanged);
    r.pty->write("before ");
    QTRY_COMPARE(r.channel.pane().text(), QByteArray("before "));

    QVERIFY(r.unplug());
    QCOMPARE(r.status().section(QStringLiteral("  "), 0, 0), "Comm Port 2: waiting for " + r.link);
    r.channel.type("lost"); // nowhere to go: not sent, not counted
    QCOMPARE(r.channel.sentCount(), 0);
    // The path back as a plain file is not opened; the wait goes on.
    QFile file(r.link);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QTRY_VERIFY(r.status().contains(QStringLiteral("(not a serial device)")));
    QVERIFY(!r.channel.link().serial().openState());

    r.plugIn();
    QTRY_VERIFY(!r.channel.isWaiting());
    QVERIFY(settingsOf(*r.pty).c_iflag & IXON); // the same options on the new device
    r.pty->write("after");
    QTRY_COMPARE(r.channel.pane().text(), QByteArray("before after"));
    r.channel.type("x");
    QCOMPARE(r.pty->read(1), QByteArray("x"));
    QCOMPARE(failed.count(), 0);
    QCOMPARE(on.count(), 0); // never off

    r.session.recordings().stopAll();
    r.session.recordings().waitForFiles();
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    const qsizetype lost = text.indexOf("2! lost " + r.link.toUtf8());
    const qsizetype back = text.indexOf("2! reconnected to " + r.link.toUtf8());
    QVERIFY2(lost > text.indexOf("2< before") && back > lost && text.indexOf("2< after") > back,
             text.constData());
}

// A device path with nothing at it yet: with reconnect on the channel waits
// for it and connects when it appears; without, the switch-on fails.
void TestLink::switchOnToAnAbsentDevice_data()
{
    QTest::addColumn<bool>("reconnect");
    QTest::newRow("reconnect on: waits") << true;
    QTest::newRow("reconnect off: fails") << false;
}

void TestLink::switchOnToAnAbsentDevice()
{
    QFETCH(bool, reconnect);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("usb-adapter"));
    CaptureSession session;
    Channel &channel = session.channel(2);
    LinkOptions options;
    options.reconnect = reconnect;
    channel.setLinkOptions(options);
    QSignalSpy failed(&channel, &Channel::failed);
    channel.switchOnSerial(link, QStringLiteral("9600,n,8,1"));
    QCOMPARE(failed.count(), reconnect ? 0 : 1);
    QCOMPARE(channel.isOn(), reconnect);
    if (!reconnect)
        return;
    QVERIFY(channel.isWaiting());
    PtyPair pty;
    QVERIFY(QFile::link(pty.slavePath(), link));
    QTRY_VERIFY(!channel.isWaiting());
    channel.type("x");
    QCOMPARE(pty.read(1), QByteArray("x"));
}

void TestLink::tcpReconnectsWithBackOff()
{
    Channel channel(1, true);
    channel.setLinkOptions(withReconnect());
    QSignalSpy failed(&channel, &Channel::failed);
    // Only a connection that was made is waited for.
    channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(TcpPeer::refusedPort()));
    QTRY_COMPARE(failed.count(), 1);
    QVERIFY(!channel.isOn());

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.serverPort();
    channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(port));
    QTRY_VERIFY(server.hasPendingConnections());
    std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
    peer->write("one ");
    QTRY_COMPARE(channel.pane().text(), QByteArray("one "));
    // A repeating send button goes on through the wait; its sends resume after it.
    QCOMPARE(channel.sendButtons().define(0, {"Poll", "P", false, 10}), QString());
    channel.sendButtons().press(0);

    // The peer goes away, and nobody listens for a while.
    server.close();
    peer->disconnectFromHost();
    QTRY_VERIFY(channel.isWaiting());
    QVERIFY(channelStatusText(channel, CaptureSession().recordings())
                .contains(QStringLiteral("reconnecting to 127.0.0.1:%1").arg(port)));
    QTRY_VERIFY(channel.link().reconnect().nextRetryMs() > LinkReconnect::firstRetryMs);
    QVERIFY(channel.sendButtons().isRepeating(0));
    QVERIFY(server.listen(QHostAddress::LocalHost, port));
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 15000);
    peer.reset(server.nextPendingConnection());
    QTRY_VERIFY(!channel.isWaiting());
    QTRY_VERIFY(peer->bytesAvailable() > 0);
    peer->write("two");
    QTRY_COMPARE(channel.pane().text(), QByteArray("one two"));

    // Off while waiting: nothing connects any more.
    server.close();
    peer->disconnectFromHost();
    QTRY_VERIFY(channel.isWaiting());
    channel.switchOff();
    QVERIFY(server.listen(QHostAddress::LocalHost, port));
    QTest::qWait(3 * LinkReconnect::firstRetryMs);
    QVERIFY(!server.hasPendingConnections());
    QCOMPARE(failed.count(), 1);
}

// Each row: how the operator ends the wait, and whether the loss is then
// reported (turning reconnect off reports it as it would have been).
void TestLink::stoppingTheWait_data()
{
    QTest::addColumn<bool>("switchOff");
    QTest::addColumn<int>("reports");
    QTest::newRow("Off") << true << 0;
    QTest::newRow("reconnect turned off") << false << 1;
}

void TestLink::stoppingTheWait()
{
    QFETCH(bool, switchOff);
    QFETCH(int, reports);
    Replug r;
    QSignalSpy failed(&r.channel, &Channel::failed);
    QVERIFY(r.unplug());
    if (switchOff)
        r.channel.switchOff();
    else
        r.channel.setLinkOptions(LinkOptions{});
    QVERIFY(!r.channel.isOn());
    QCOMPARE(failed.count(), reports);

    r.plugIn();
    QTest::qWait(3 * LinkReconnect::devicePollMs);
    QVERIFY(!r.channel.isOn());
    QVERIFY(!r.channel.link().serial().openState());
}

void TestLink::backOffDoublesToTenSeconds()
{
    LinkReconnect reconnect;
    reconnect.waitForPeer(QStringLiteral("127.0.0.1:9"));
    QList<int> waits{reconnect.nextRetryMs()};
    for (int i = 0; i < 6; ++i) {
        reconnect.retryLater();
        waits << reconnect.nextRetryMs();
    }
    QCOMPARE(waits, (QList<int>{500, 1000, 2000, 4000, 8000, 10000, 10000}));
}

// A peer that accepts and drops at once, again and again: each reconnect
// that carried nothing waits twice as long as the one before.
void TestLink::peerDroppingEveryConnectionKeepsTheBackOff()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    int accepted = 0;
    connect(&server, &QTcpServer::newConnection, &server, [&server, &accepted] {
        while (QTcpSocket *peer = server.nextPendingConnection()) {
            ++accepted;
            peer->abort();
            peer->deleteLater();
        }
    });
    Channel channel(1, true);
    channel.setLinkOptions(withReconnect());
    channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
    QTRY_COMPARE_WITH_TIMEOUT(accepted, 3, 10000);
    QTRY_COMPARE(channel.link().reconnect().nextRetryMs(), 4 * LinkReconnect::firstRetryMs);
    QVERIFY(channel.isWaiting());
}

void TestLink::ptyRefusesControlLinesOnce()
{
    PtyPair pty;
    Channel channel(2, false);
    const ControlLines &lines = channel.link().controlLines();
    QSignalSpy changed(&channel.link(), &ChannelLink::controlLinesChanged);
    QSignalSpy failed(&channel, &Channel::failed);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("9600,n,8,1"));
    QVERIFY(lines.refused());
    QVERIFY(!lines.isReading());
    QVERIFY(!channel.sendBreak());
    LinkOptions options;
    options.dtr = false;
    QCOMPARE(channel.setLinkOptions(options), QString());
    QTest::qWait(3 * ControlLines::pollMs);
    QCOMPARE(changed.count(), 1); // found out once, not at every poll

    // The port stays open and working.
    pty.write("ok");
    QTRY_COMPARE(channel.pane().text(), QByteArray("ok"));
    channel.type("y");
    QCOMPARE(pty.read(1), QByteArray("y"));
    QCOMPARE(failed.count(), 0);
    channel.switchOff();
    QVERIFY(!lines.refused());
}

void TestLink::flowControlIsAppliedAndKept_data()
{
    QTest::addColumn<FlowControl>("flow");
    QTest::addColumn<bool>("rtsCts");
    QTest::addColumn<bool>("xonXoff");
    QTest::newRow("RTS/CTS") << FlowControl::RtsCts << true << false;
    QTest::newRow("XON/XOFF") << FlowControl::XonXoff << false << true;
    QTest::newRow("None") << FlowControl::None << false << false;
}

void TestLink::flowControlIsAppliedAndKept()
{
    QFETCH(FlowControl, flow);
    QFETCH(bool, rtsCts);
    QFETCH(bool, xonXoff);
    PtyPair pty;
    Channel channel(2, false);
    LinkOptions options;
    options.flow = flow == FlowControl::None ? FlowControl::XonXoff : FlowControl::None;
    channel.setLinkOptions(options);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("9600,n,8,1"));

    // Changed while open, then applied again at the next open, whatever
    // another program left.
    options.flow = flow;
    QCOMPARE(channel.setLinkOptions(options), QString());
    for (int open = 0; open < 2; ++open) {
        QVERIFY(channel.isOn());
        termios settings = settingsOf(pty);
        QCOMPARE(bool(settings.c_cflag & CRTSCTS), rtsCts);
        QCOMPARE(bool(settings.c_iflag & inputFlow), xonXoff);
        QCOMPARE((settings.c_iflag & inputFlow) == inputFlow, xonXoff);

        channel.switchOff();
        settings.c_cflag ^= CRTSCTS;
        settings.c_iflag ^= inputFlow;
        tcsetattr(pty.slaveFd(), TCSANOW, &settings);
        channel.switchOnSerial(pty.slavePath(), QStringLiteral("9600,n,8,1"));
    }
}

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
