// The Channel object on its own, with real devices and peers: no window.
#include "devices/capture_session.h"
#include "devices/channel.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "devices/transmit_queue.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>

class TestChannel : public QObject
{
    Q_OBJECT

private slots:
    void serialRoundTrip();
    void switchOnFailuresLeaveTheChannelOff_data();
    void switchOnFailuresLeaveTheChannelOff();
    void unpluggedDeviceShowsWhatWaitedThenFails();
    void tcpRoundTripAndDrop();
    void tcpEndsAreToldApart_data();
    void tcpEndsAreToldApart();
    void linePasteIsBoundedAndExactOnTheWire();
    void typedPercentSignsStayAsTyped_data();
    void typedPercentSignsStayAsTyped();
    void loadKeepsRecordsAndBufferButResetsModes();
    void newLineChoiceCutsReceivedLines_data();
    void newLineChoiceCutsReceivedLines();
    void unloadReleasesTheDevice();
};

void TestChannel::newLineChoiceCutsReceivedLines_data()
{
    QTest::addColumn<LineBreaks>("rule");
    QTest::addColumn<QByteArrayList>("lines");
    // Received in three reads: "a\r", "\nb\nc\r", "d\r\n" (a CR LF split
    // over two reads, then lone LF and CR).
    QTest::newRow("any") << LineBreaks::Any << QByteArrayList{"a", "b", "c", "d", ""};
    QTest::newRow("CR LF") << LineBreaks::CrLf << QByteArrayList{"a", "b\nc\rd", ""};
    QTest::newRow("LF") << LineBreaks::Lf << QByteArrayList{"a\r", "b", "c\rd\r", ""};
    QTest::newRow("CR") << LineBreaks::Cr << QByteArrayList{"a", "\nb\nc", "d", "\n"};
}

void TestChannel::newLineChoiceCutsReceivedLines()
{
    QFETCH(LineBreaks, rule);
    QFETCH(QByteArrayList, lines);
    PtyPair pty;
    CaptureSession session;
    session.setSignOnDefaults();
    Channel &channel = session.channel(2);
    channel.setLineBreaks(rule);
    channel.switchOnSerial(pty.slavePath(), session.serialSettings());
    qint64 expected = 0;
    for (const QByteArray read : {"a\r", "\nb\nc\r", "d\r\n"}) {
        pty.write(read);
        expected += read.size();
        QTRY_COMPARE(channel.receivedCount(), expected);
    }
    const PaneText &pane = channel.pane();
    QByteArrayList shown;
    for (qsizetype line = 0; line < pane.lineCount(); ++line)
        shown << pane.copy(pane.lineStart(line), pane.lineEnd(line) - pane.lineStart(line));
    QCOMPARE(shown, lines);
}

void TestChannel::serialRoundTrip()
{
    PtyPair pty;
    CaptureSession session;
    session.setSignOnDefaults();
    Channel &channel = session.channel(2);
    QSignalSpy on(&channel, &Channel::onChanged);
    channel.switchOnSerial(pty.slavePath(), session.serialSettings());
    QVERIFY(channel.isOn());
    QCOMPARE(on.count(), 1);
    QCOMPARE(on.at(0).at(0).toBool(), true);

    channel.setFormat(ReceiveFormat::Hex);
    pty.write("AB");
    QTRY_COMPARE(channel.pane().text(), QByteArray(" 41 42"));

    channel.setHexEntry(true);
    channel.type("41 7f ");
    QCOMPARE(pty.read(2), QByteArray("A\x7f"));
    channel.repeat();
    QCOMPARE(pty.read(2), QByteArray("A\x7f"));

    channel.switchOff();
    QVERIFY(!channel.isOn());
    QCOMPARE(on.count(), 2);
    QCOMPARE(on.at(1).at(0).toBool(), false);
}

void TestChannel::switchOnFailuresLeaveTheChannelOff_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("text");
    QTest::newRow("no such device") << "/dev/varnok-no-such-device"
                                    << "9600,n,8,1"
                                    << "Com2 Error!";
    QTest::newRow("number without device") << "98"
                                           << "9600,n,8,1"
                                           << "Com2 Error!";
    // A pty refuses parity, and the port is closed again.
    QTest::newRow("refused settings") << ""
                                      << "9600,e,8,1"
                                      << "can't use the settings";
    QTest::newRow("malformed settings") << ""
                                        << "9600,n"
                                        << "can't use the settings";
}

void TestChannel::switchOnFailuresLeaveTheChannelOff()
{
    QFETCH(QString, port);
    QFETCH(QString, settings);
    QFETCH(QString, text);

    PtyPair pty;
    Channel channel(2, false);
    QSignalSpy on(&channel, &Channel::onChanged);
    QSignalSpy failed(&channel, &Channel::failed);
    channel.switchOnSerial(port.isEmpty() ? pty.slavePath() : port, settings);
    QVERIFY(!channel.isOn());
    QVERIFY(!channel.link().serial().openState());
    QCOMPARE(on.count(), 0);
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(0).toString().contains(text),
             qPrintable(failed.at(0).at(0).toString()));
    QVERIFY(!failed.at(0).at(1).toString().isEmpty()); // the reason, for the details
}

void TestChannel::unpluggedDeviceShowsWhatWaitedThenFails()
{
    PtyPair pty;
    Channel channel(2, false);
    channel.setTimeOut(30000); // only the failure can show what waits
    channel.setDisplayMode(DisplayMode::TimeOut);
    QSignalSpy failed(&channel, &Channel::failed);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("9600,n,8,1"));
    QVERIFY(channel.isOn());

    pty.write("last words");
    QTRY_COMPARE(channel.receiver().pending(), QByteArray("last words"));
    pty.closeMaster();
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(channel.pane().text(), QByteArray("last words"));
    QVERIFY(channel.receiver().pending().isEmpty());
    QVERIFY(!channel.isOn());
    QVERIFY(failed.at(0).at(0).toString().contains(pty.slavePath()));
}

void TestChannel::tcpRoundTripAndDrop()
{
    TcpPeer peer;
    Channel channel(1, true);
    channel.setTimeOut(30000);
    QSignalSpy failed(&channel, &Channel::failed);
    channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(peer.port()));
    QVERIFY(channel.isOn());
    channel.type("early"); // queued while the connection is made
    QVERIFY(peer.waitForClient());
    QCOMPARE(peer.received(5), QByteArray("early"));

    channel.setFormat(ReceiveFormat::Decimal);
    peer.send("AB");
    QTRY_COMPARE(channel.pane().text(), QByteArray("65 66 "));

    channel.setDisplayMode(DisplayMode::TimeOut);
    peer.send("C");
    QTRY_COMPARE(channel.receiver().pending(), QByteArray("C"));
    peer.close();
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(channel.pane().text(), QByteArray("65 66 67")); // one space between numbers
    QVERIFY(!channel.isOn());
    const QString text = failed.at(0).at(0).toString();
    QVERIFY2(text.contains(QString::number(peer.port())), qPrintable(text));

    // Channel 2 has no socket: TCP is not among its routes.
    Channel serialOnly(2, false);
    serialOnly.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(peer.port()));
    QVERIFY(!serialOnly.isOn());
    QVERIFY(!serialOnly.link().offersTcp());
}

// Each row: how the peer ends, the message's words and its details.
void TestChannel::tcpEndsAreToldApart_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("detail");
    QTest::newRow("nobody listens") << "refuse"
                                    << "was refused"
                                    << "refused";
    QTest::newRow("accept, send, reset") << "reset"
                                         << "ended"
                                         << "the peer reset the connection";
    QTest::newRow("accept, send, close") << "close"
                                         << "ended"
                                         << "the peer closed the connection";
}

void TestChannel::tcpEndsAreToldApart()
{
    QFETCH(QString, end);
    QFETCH(QString, text);
    QFETCH(QString, detail);

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port =
        end == QLatin1String("refuse") ? TcpPeer::refusedPort() : server.serverPort();
    connect(&server, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *peer = server.nextPendingConnection();
        const int fd = int(peer->socketDescriptor());
        QCOMPARE(::send(fd, "hello", 5, 0), ssize_t(5));
        if (end == QLatin1String("reset")) {
            const linger resetAtClose{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &resetAtClose, sizeof resetAtClose);
        }
        peer->abort();
    });
    Channel channel(1, true);
    QSignalSpy failed(&channel, &Channel::failed);
    channel.switchOnTcp(QStringLiteral("127.0.0.1 "), QString::number(port));
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
    const QString message = failed.at(0).at(0).toString();
    QVERIFY2(message.contains(text) && message.contains(QString::number(port)),
             qPrintable(message));
    QVERIFY2(failed.at(0).at(1).toString().contains(detail),
             qPrintable(failed.at(0).at(1).toString()));
    QCOMPARE(channel.pane().text(),
             end == QLatin1String("refuse") ? QByteArray() : QByteArray("hello"));
    QVERIFY(!channel.isOn());
}

void TestChannel::linePasteIsBoundedAndExactOnTheWire()
{
    PtyPair pty;
    Channel channel(2, false);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("115200,n,8,1"));
    QVERIFY(channel.isOn());
    channel.link().queue().setLimit(256 * 1024);
    channel.setTransmitMode(TransmitMode::AfterCr);
    channel.setHexEntry(true);
    QSignalSpy refused(&channel, &Channel::transmitRefused);

    // Each Enter resends every line so far: 8, 16, 24 ... bytes, 641,600 in all.
    QByteArray paste;
    for (int line = 0; line < 400; ++line)
        paste += "41 42 43 44 45 46 47 48\r";
    channel.type(paste);

    QCOMPARE(refused.count(), 1);
    const qint64 notSent = refused.at(0).at(0).toLongLong();
    const qint64 total = 8 * 400 * 401 / 2;
    QVERIFY(notSent > 0);
    const QByteArray wire = pty.read(total - notSent, 20000);
    QCOMPARE(qint64(wire.size()), total - notSent);
    // What went out is the first Enters' transmissions, whole and in order.
    QByteArray expected;
    for (int line = 1; expected.size() < wire.size(); ++line)
        expected += QByteArray("ABCDEFGH").repeated(line);
    QCOMPARE(wire, expected);
    QVERIFY(pty.readFor(200).isEmpty());
}

// Messages built around typed text keep it as typed: a "%1" in it is not a
// place for the next value.
void TestChannel::typedPercentSignsStayAsTyped_data()
{
    QTest::addColumn<QString>("linkName");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("typed");
    QTest::newRow("device path") << "x%3y%2"
                                 << "9600,e,8,1"
                                 << "x%3y%2";
    QTest::newRow("settings") << "x"
                              << "%2,%1"
                              << "\"%2,%1\" have 2 fields";
}

void TestChannel::typedPercentSignsStayAsTyped()
{
    QFETCH(QString, linkName);
    QFETCH(QString, settings);
    QFETCH(QString, typed);

    PtyPair pty;
    QTemporaryDir dir;
    const QString link = dir.filePath(linkName);
    QVERIFY(QFile::link(pty.slavePath(), link));
    Channel channel(2, false);
    QSignalSpy failed(&channel, &Channel::failed);
    channel.switchOnSerial(link, settings);
    QCOMPARE(failed.count(), 1);
    const QString message = failed.at(0).at(0).toString() + u'\n' + failed.at(0).at(1).toString();
    QVERIFY2(message.contains(typed), qPrintable(message));
}

void TestChannel::loadKeepsRecordsAndBufferButResetsModes()
{
    Channel channel(1, true);
    channel.setDisplayMode(DisplayMode::TimeOut);
    channel.setFormat(ReceiveFormat::Hex);
    channel.setTransmitMode(TransmitMode::AfterCr);
    channel.setHexEntry(true);
    channel.type("12 34\r");
    channel.setTimeOut(900);
    channel.setAccumulate(AccumulateMode::ClearFirst);
    channel.receiver().receiveSerial("waits");
    QVERIFY(channel.receiver().timer().isActive());
    channel.pane().append("shown");

    channel.load();
    QCOMPARE(channel.modes().display, DisplayMode::RealTime);
    QCOMPARE(channel.modes().format, ReceiveFormat::Ascii);
    QCOMPARE(channel.modes().transmit, TransmitMode::RealTime);
    QVERIFY(!channel.modes().hexEntry);
    QVERIFY(channel.pane().isEmpty());
    QVERIFY(!channel.receiver().timer().isActive());
    QCOMPARE(channel.modes().strSend, QByteArray("12 34\r"));
    QCOMPARE(channel.modes().strSendHex, QByteArray("\x12\x34"));
    QCOMPARE(channel.module().intTimeOut, qint16(900));
    QCOMPARE(channel.module().addTo, AccumulateMode::ClearFirst);
    QCOMPARE(channel.receiver().pending(), QByteArray("waits"));
}

void TestChannel::unloadReleasesTheDevice()
{
    PtyPair pty;
    CaptureSession session;
    session.setSignOnDefaults();
    session.channel(1).switchOnSerial(pty.slavePath(), session.serialSettings());
    QVERIFY(session.channel(1).isOn());
    // The device is held: the other channel can't have it ...
    session.channel(2).switchOnSerial(pty.slavePath(), session.serialSettings());
    QVERIFY(!session.channel(2).isOn());
    // ... until the first lets go.
    session.channel(1).unload();
    QVERIFY(!session.channel(1).isOn());
    session.channel(2).switchOnSerial(pty.slavePath(), session.serialSettings());
    QVERIFY(session.channel(2).isOn());
}

QTEST_GUILESS_MAIN(TestChannel)
#include "tst_channel.moc"
