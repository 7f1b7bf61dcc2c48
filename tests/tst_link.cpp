// A channel's link options on real parts, without a window: reconnecting
// through a symbolic link to a pseudo-terminal and to a 127.0.0.1 peer,
// control lines and flow control on a pseudo-terminal.
#include "devices/capture_session.h"
#include "devices/channel_status.h"
#include "devices/control_lines.h"
#include "devices/link_reconnect.h"
#include "devices/serial_port_component.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr tcflag_t inputFlow = IXON | IXOFF;

termios settingsOf(const PtyPair &pty)
{
    termios settings{};
    tcgetattr(pty.slaveFd(), &settings);
    return settings;
}

// Another program's flow control, left on the device.
void setFlowFlags(const PtyPair &pty, bool on)
{
    termios settings = settingsOf(pty);
    settings.c_cflag = on ? settings.c_cflag | CRTSCTS : settings.c_cflag & ~CRTSCTS;
    settings.c_iflag = on ? settings.c_iflag | inputFlow : settings.c_iflag & ~inputFlow;
    tcsetattr(pty.slaveFd(), TCSANOW, &settings);
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

    explicit Replug(const LinkOptions &options = withReconnect())
    {
        QFile::link(pty->slavePath(), link);
        channel.setLinkOptions(options);
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
    // A new device at the same path.
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
    void tcpReconnectsWithBackOff();
    void stoppingTheWait_data();
    void stoppingTheWait();
    void pathBackAsRegularFileIsNotOpened();
    void failedSwitchOnIsReportedAsBefore_data();
    void failedSwitchOnIsReportedAsBefore();
    void backOffDoublesToTenSeconds();
    void ptyRefusesControlLinesOnce();
    void flowControlIsAppliedAndKept_data();
    void flowControlIsAppliedAndKept();
};

void TestLink::serialReconnectsThroughTheSameLink()
{
    Replug r(withReconnect(FlowControl::XonXoff));
    QVERIFY(r.channel.isOn());
    QTemporaryDir logDir;
    const QString logPath = logDir.filePath(QStringLiteral("run.log"));
    QCOMPARE(r.session.recordings().start(RecordSource::Channel2, RecordKind::Log, logPath,
                                          FileWriter::Existing::Replace),
             QString());
    QSignalSpy failed(&r.channel, &Channel::failed);
    QSignalSpy on(&r.channel, &Channel::onChanged);

    r.pty->write("before ");
    QTRY_COMPARE(r.channel.pane().text(), QByteArray("before "));
    QVERIFY(r.unplug());
    QVERIFY(r.channel.isOn());
    QCOMPARE(r.status().section(QStringLiteral("  "), 0, 0), "Comm Port 2: waiting for " + r.link);
    r.channel.type("lost"); // nowhere to go: not sent, not counted
    QCOMPARE(r.channel.sentCount(), 0);

    r.plugIn();
    QTRY_VERIFY(!r.channel.isWaiting());
    // The same settings and options on the new device.
    QVERIFY(settingsOf(*r.pty).c_iflag & IXON);
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

void TestLink::tcpReconnectsWithBackOff()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.serverPort();
    Channel channel(1, true);
    channel.setLinkOptions(withReconnect());
    QSignalSpy failed(&channel, &Channel::failed);
    channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(port));
    QTRY_VERIFY(server.hasPendingConnections());
    std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
    peer->write("one ");
    QTRY_COMPARE(channel.pane().text(), QByteArray("one "));

    // The peer goes away, and nobody listens for a while.
    server.close();
    peer->disconnectFromHost();
    QTRY_VERIFY(channel.isWaiting());
    CaptureSession session;
    QVERIFY(channelStatusText(channel, session.recordings())
                .contains(QStringLiteral("reconnecting to 127.0.0.1:%1").arg(port)));
    QTRY_VERIFY(channel.link().reconnect().nextRetryMs() > LinkReconnect::firstRetryMs);

    QVERIFY(server.listen(QHostAddress::LocalHost, port));
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 15000);
    peer.reset(server.nextPendingConnection());
    QTRY_VERIFY(!channel.isWaiting());
    peer->write("two");
    QTRY_COMPARE(channel.pane().text(), QByteArray("one two"));
    QCOMPARE(failed.count(), 0);

    // Off while waiting: nothing connects any more.
    server.close();
    peer->disconnectFromHost();
    QTRY_VERIFY(channel.isWaiting());
    channel.switchOff();
    QVERIFY(!channel.isWaiting());
    QVERIFY(server.listen(QHostAddress::LocalHost, port));
    QTest::qWait(3 * LinkReconnect::firstRetryMs);
    QVERIFY(!server.hasPendingConnections());
    QCOMPARE(failed.count(), 0);
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
    QVERIFY(!r.channel.isWaiting());
    QCOMPARE(failed.count(), reports);

    r.plugIn();
    QTest::qWait(3 * LinkReconnect::devicePollMs);
    QVERIFY(!r.channel.isOn());
    QVERIFY(!r.channel.link().serial().openState());
}

void TestLink::pathBackAsRegularFileIsNotOpened()
{
    Replug r;
    QSignalSpy failed(&r.channel, &Channel::failed);
    QVERIFY(r.unplug());
    QFile file(r.link);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a device");
    file.close();
    QTRY_VERIFY(r.status().contains(QStringLiteral("(not a serial device)")));
    QVERIFY(r.channel.isWaiting());
    QVERIFY(!r.channel.link().serial().openState());

    // The wait goes on until a device is there again.
    r.plugIn();
    QTRY_VERIFY(!r.channel.isWaiting());
    r.pty->write("back");
    QTRY_COMPARE(r.channel.pane().text(), QByteArray("back"));
    QCOMPARE(failed.count(), 0);
}

void TestLink::failedSwitchOnIsReportedAsBefore_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::newRow("no such device") << false;
    QTest::newRow("nobody listens") << true;
}

void TestLink::failedSwitchOnIsReportedAsBefore()
{
    QFETCH(bool, tcp);
    Channel channel(1, true);
    channel.setLinkOptions(withReconnect());
    QSignalSpy failed(&channel, &Channel::failed);
    if (tcp)
        channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(TcpPeer::refusedPort()));
    else
        channel.switchOnSerial(QStringLiteral("/dev/varnok-no-such-device"),
                               QStringLiteral("9600,n,8,1"));
    QTRY_COMPARE(failed.count(), 1);
    QVERIFY(!channel.isOn());
    QVERIFY(!channel.isWaiting());
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
    reconnect.stop();
    QVERIFY(!reconnect.isWaiting());
}

void TestLink::ptyRefusesControlLinesOnce()
{
    PtyPair pty;
    Channel channel(2, false);
    const ControlLines &lines = channel.link().controlLines();
    QSignalSpy changed(&channel.link(), &ChannelLink::controlLinesChanged);
    QSignalSpy failed(&channel, &Channel::failed);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("9600,n,8,1"));
    QVERIFY(channel.isOn());
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
    QVERIFY(!lines.isReading());
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
    QVERIFY(channel.isOn());

    // Changed while open ...
    options.flow = flow;
    QCOMPARE(channel.setLinkOptions(options), QString());
    QCOMPARE(channel.linkOptions().flow, flow);
    termios settings = settingsOf(pty);
    QCOMPARE(bool(settings.c_cflag & CRTSCTS), rtsCts);
    QCOMPARE((settings.c_iflag & inputFlow) == inputFlow, xonXoff);

    // ... and applied again at the next open, whatever another program left.
    channel.switchOff();
    setFlowFlags(pty, !rtsCts && !xonXoff);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("9600,n,8,1"));
    QVERIFY(channel.isOn());
    settings = settingsOf(pty);
    QCOMPARE(bool(settings.c_cflag & CRTSCTS), rtsCts);
    QCOMPARE((settings.c_iflag & inputFlow) == inputFlow, xonXoff);
    QCOMPARE(bool(settings.c_iflag & inputFlow), xonXoff);
}

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
