// The demo peer, run as a program: its data over TCP and over a pty, its
// echo, its option checks and its clean stop on SIGINT / SIGTERM, and what
// the terminal's window makes of it.

#include "support/build_tools.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"

#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

// One whole reading line, CR LF included.
const QRegularExpression readingLine(QRegularExpression::anchoredPattern(
    QStringLiteral(R"(T=\d+\.\d\dC P=\d+\.\dhPa RH=\d+%\r\n)")));

QString peerProgram()
{
    return qEnvironmentVariable("VARNOK_TEST_BINARY_DIR") +
           QStringLiteral("/tools/demo-peer/varnok-demo-peer");
}

// A port of 127.0.0.1 that was free a moment ago.
quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

// The first complete reading line in `bytes`, or an empty text.
QString firstLine(const QByteArray &bytes)
{
    const qsizetype end = bytes.indexOf("\r\n");
    if (end < 0)
        return {};
    const qsizetype start = bytes.lastIndexOf('\n', end - 1) + 1;
    return QString::fromLatin1(bytes.mid(start, end + 2 - start));
}

bool written(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// One run of the peer. Whatever happens, the destructor ends the process
// this test started (and no other).
class PeerRun
{
public:
    ~PeerRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    void start(const QStringList &arguments)
    {
        m_process.setProgram(peerProgram());
        m_process.setArguments(arguments);
        m_process.start();
    }

    // Collects standard output until `pattern` matches; returns the match's
    // first group (or the whole match), or an empty text on time-out.
    QString waitForOutput(const QRegularExpression &pattern, int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            m_output += m_process.readAllStandardOutput();
            const QRegularExpressionMatch match = pattern.match(QString::fromLocal8Bit(m_output));
            if (match.hasMatch())
                return match.lastCapturedIndex() >= 1 ? match.captured(1) : match.captured(0);
            if (m_process.state() == QProcess::NotRunning)
                return {};
            m_process.waitForReadyRead(100);
        }
        return {};
    }

    bool signal(int signalNumber)
    {
        const qint64 pid = m_process.processId();
        return pid > 0 && ::kill(pid_t(pid), signalNumber) == 0;
    }

    QProcess &process() { return m_process; }
    QByteArray output()
    {
        m_output += m_process.readAllStandardOutput();
        return m_output;
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

} // namespace

class TestDemoPeer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tcpSendsReadingLines();
    void tcpSendsFramesBetweenLines();
    void tcpEchoesEveryByte();
    void tcpServesEachClient();
    void ptySendsLinesAndEchoes();
    void ptyServesTheNextUser();
    void stopsCleanlyOnSignal_data();
    void stopsCleanlyOnSignal();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void reportsATakenPort();
    void terminalShowsEachLineAfterCr_data();
    void terminalShowsEachLineAfterCr();
    void docsScriptExamplesRunAgainstIt_data();
    void docsScriptExamplesRunAgainstIt();

private:
    // Starts a TCP peer on a free port; returns the port, or 0.
    quint16 startTcpPeer(PeerRun &run, const QStringList &extra = {});
    // Starts a pty peer; returns the device path, or an empty text.
    QString startPtyPeer(PeerRun &run, const QStringList &extra = {});
};

void TestDemoPeer::initTestCase()
{
    QVERIFY2(QFileInfo(peerProgram()).isExecutable(),
             qPrintable(QStringLiteral("not built: ") + peerProgram()));
}

quint16 TestDemoPeer::startTcpPeer(PeerRun &run, const QStringList &extra)
{
    const quint16 port = freePort();
    if (port == 0)
        return 0;
    run.start(QStringList{QStringLiteral("--port"), QString::number(port)} + extra);
    const QString listening =
        run.waitForOutput(QRegularExpression(QStringLiteral(R"(Listening on 127\.0\.0\.1:(\d+))")));
    return listening == QString::number(port) ? port : 0;
}

QString TestDemoPeer::startPtyPeer(PeerRun &run, const QStringList &extra)
{
    run.start(QStringList{QStringLiteral("--pty")} + extra);
    return run.waitForOutput(QRegularExpression(QStringLiteral(R"(Serial device: (/dev/\S+))")));
}

void TestDemoPeer::tcpSendsReadingLines()
{
    PeerRun run;
    const quint16 port = startTcpPeer(run, {QStringLiteral("--interval-ms"), QStringLiteral("20")});
    QVERIFY(port != 0);

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(5000));
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll()).count("\r\n") >= 3, 10000);

    // Every line but a possibly partial last one is a reading.
    const QByteArray whole = received.left(received.lastIndexOf("\r\n") + 2);
    const QList<QByteArray> lines = whole.split('\n');
    QCOMPARE(lines.size(), whole.count("\r\n") + 1);
    for (const QByteArray &line : lines.first(lines.size() - 1)) {
        const QString text = QString::fromLatin1(line + '\n');
        QVERIFY2(readingLine.match(text).hasMatch(), qPrintable(text));
    }
}

void TestDemoPeer::tcpSendsFramesBetweenLines()
{
    PeerRun run;
    const quint16 port = startTcpPeer(run, {QStringLiteral("--interval-ms"), QStringLiteral("10"),
                                            QStringLiteral("--frame-every"), QStringLiteral("2"),
                                            QStringLiteral("--gap-ms"), QStringLiteral("30")});
    QVERIFY(port != 0);

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(5000));
    // Two lines, a frame, and the line after it.
    QByteArray received;
    const auto frameStart = [&received] {
        return received.indexOf("\r\n\x02");
    };
    QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll(),
                              frameStart() >= 0 && received.indexOf("\r\n", frameStart() + 3) > 0),
                             10000);

    const qsizetype start = frameStart() + 2;
    const qsizetype end = received.indexOf('\x03', start);
    QVERIFY(end > start);
    const QByteArray frame = received.mid(start, end + 1 - start);
    QVERIFY2(frame.size() >= 8 && frame.size() <= 40, QByteArray::number(frame.size()));
    for (const char byte : frame.mid(1, frame.size() - 2))
        QVERIFY(byte != '\x02' && byte != '\x03' && byte != '\r' && byte != '\n');
    // The next reading starts right after the frame.
    QVERIFY(received.mid(end + 1).startsWith("T="));
    QVERIFY(readingLine.match(firstLine(received.mid(end + 1))).hasMatch());
}

void TestDemoPeer::tcpEchoesEveryByte()
{
    PeerRun run;
    // No frames and a slow line rate, so the echo stays in one piece.
    const quint16 port = startTcpPeer(run, {QStringLiteral("--interval-ms"), QStringLiteral("1000"),
                                            QStringLiteral("--frame-every"), QStringLiteral("0")});
    QVERIFY(port != 0);

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(5000));
    QByteArray sent;
    for (int value = 0; value < 256; ++value)
        sent.append(char(value));
    client.write(sent);
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll()).contains(sent), 10000);
}

void TestDemoPeer::tcpServesEachClient()
{
    PeerRun run;
    const quint16 port = startTcpPeer(run, {QStringLiteral("--interval-ms"), QStringLiteral("20")});
    QVERIFY(port != 0);

    QTcpSocket first;
    QTcpSocket second;
    first.connectToHost(QHostAddress::LocalHost, port);
    second.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(first.waitForConnected(5000));
    QVERIFY(second.waitForConnected(5000));
    first.write("one");
    second.write("two");
    QByteArray toFirst;
    QByteArray toSecond;
    QTRY_VERIFY_WITH_TIMEOUT((toFirst += first.readAll()).contains("one"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT((toSecond += second.readAll()).contains("two"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT((toSecond += second.readAll()).contains("\r\n"), 10000);
    QVERIFY(!toFirst.contains("two"));
    QVERIFY(!toSecond.contains("one"));

    // One client leaving does not disturb the other.
    first.disconnectFromHost();
    toSecond = second.readAll();
    QTRY_VERIFY_WITH_TIMEOUT((toSecond += second.readAll()).count("\r\n") >= 3, 10000);
}

void TestDemoPeer::ptySendsLinesAndEchoes()
{
    PeerRun run;
    const QString device =
        startPtyPeer(run, {QStringLiteral("--interval-ms"), QStringLiteral("20")});
    QVERIFY(!device.isEmpty());

    QSerialPort port;
    port.setPortName(device);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += port.readAll()).contains("\r\n"), 10000);
    QVERIFY(readingLine.match(firstLine(received)).hasMatch() ||
            readingLine.match(firstLine(received.mid(received.indexOf("\r\n") + 2))).hasMatch());

    const QByteArray sent("\x00\x7f\xff echo over the pty\r", 22);
    port.write(sent);
    QTRY_VERIFY_WITH_TIMEOUT((received += port.readAll()).contains(sent), 10000);
}

void TestDemoPeer::ptyServesTheNextUser()
{
    PeerRun run;
    const QString device =
        startPtyPeer(run, {QStringLiteral("--interval-ms"), QStringLiteral("20")});
    QVERIFY(!device.isEmpty());

    for (int user = 1; user <= 2; ++user) {
        QSerialPort port;
        port.setPortName(device);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += port.readAll()).count("\r\n") >= 2, 10000);
        port.close();
        // The peer notices the device is free again before the next user.
        const QRegularExpression closedTimes(
            QStringLiteral("(Device closed[\\s\\S]*){%1}").arg(user));
        QVERIFY(!run.waitForOutput(closedTimes).isEmpty());
    }
}

void TestDemoPeer::stopsCleanlyOnSignal_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("tcp, SIGTERM") << false << SIGTERM;
    QTest::newRow("tcp, SIGINT (Ctrl+C)") << false << SIGINT;
    QTest::newRow("pty, SIGTERM") << true << SIGTERM;
    QTest::newRow("pty, SIGINT (Ctrl+C)") << true << SIGINT;
}

void TestDemoPeer::stopsCleanlyOnSignal()
{
    QFETCH(bool, pty);
    QFETCH(int, signalNumber);

    PeerRun run;
    QTcpSocket client;
    QSerialPort port;
    if (pty) {
        const QString device = startPtyPeer(run);
        QVERIFY(!device.isEmpty());
        port.setPortName(device);
        QVERIFY(port.open(QIODevice::ReadWrite));
        QTRY_VERIFY_WITH_TIMEOUT(port.bytesAvailable() > 0, 10000);
    } else {
        const quint16 tcpPort = startTcpPeer(run);
        QVERIFY(tcpPort != 0);
        client.connectToHost(QHostAddress::LocalHost, tcpPort);
        QVERIFY(client.waitForConnected(5000));
        QTRY_VERIFY_WITH_TIMEOUT(client.bytesAvailable() > 0, 10000);
    }

    QVERIFY(run.signal(signalNumber));
    QVERIFY(run.process().waitForFinished(10000));
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process().exitCode(), 0);
    QVERIFY(run.output().contains("Stopped."));
    if (!pty)
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 10000);
}

void TestDemoPeer::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("port 0") << QStringList{QStringLiteral("--port"), QStringLiteral("0")}
                            << QStringLiteral("--port");
    QTest::newRow("port too big") << QStringList{QStringLiteral("--port"), QStringLiteral("65536")}
                                  << QStringLiteral("--port");
    QTest::newRow("port not a number")
        << QStringList{QStringLiteral("--port"), QStringLiteral("http")}
        << QStringLiteral("--port");
    QTest::newRow("interval 0") << QStringList{QStringLiteral("--interval-ms"), QStringLiteral("0")}
                                << QStringLiteral("--interval-ms");
    QTest::newRow("negative frame count")
        << QStringList{QStringLiteral("--frame-every"), QStringLiteral("-1")}
        << QStringLiteral("--frame-every");
    QTest::newRow("gap not a number")
        << QStringList{QStringLiteral("--gap-ms"), QStringLiteral("soon")}
        << QStringLiteral("--gap-ms");
}

void TestDemoPeer::refusesBadOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    PeerRun run;
    run.start(arguments);
    QVERIFY(run.process().waitForFinished(10000));
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process().exitCode(), 2);
    const QString errors = QString::fromLocal8Bit(run.process().readAllStandardError());
    QVERIFY2(errors.contains(message + QStringLiteral(" wants a whole number")),
             qPrintable(errors));
}

void TestDemoPeer::reportsATakenPort()
{
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));

    PeerRun run;
    run.start({QStringLiteral("--port"), QString::number(holder.serverPort())});
    QVERIFY(run.process().waitForFinished(10000));
    QCOMPARE(run.process().exitCode(), 1);
    const QString errors = QString::fromLocal8Bit(run.process().readAllStandardError());
    QVERIFY2(
        errors.contains(QStringLiteral("cannot listen on 127.0.0.1:%1").arg(holder.serverPort())),
        qPrintable(errors));
}

void TestDemoPeer::terminalShowsEachLineAfterCr_data()
{
    QTest::addColumn<bool>("pty");
    QTest::newRow("TCP, channel 1") << false;
    QTest::newRow("pty, channel 2") << true;
}

// "After CR" shows received data when a batch ends in CR: the peer's lines
// must come that way, or the mode would show nothing.
void TestDemoPeer::terminalShowsEachLineAfterCr()
{
    QFETCH(bool, pty);

    PeerRun run;
    DisplayFixture f;
    const int channel = pty ? 2 : 1;
    f.channel(channel).widgets().optChar->click();
    QVERIFY(f.channel(channel).widgets().optChar->isChecked());
    const QStringList options{QStringLiteral("--interval-ms"), QStringLiteral("50"),
                              QStringLiteral("--frame-every"), QStringLiteral("0")};
    if (pty) {
        const QString device = startPtyPeer(run, options);
        QVERIFY(!device.isEmpty());
        f.channel(2).widgets().cmbPort->setEditText(device);
        f.switchOn(2);
    } else {
        const quint16 port = startTcpPeer(run, options);
        QVERIFY(port != 0);
        f.switchOnTcp(port);
    }
    QVERIFY(f.isOn(channel));

    QTRY_VERIFY_WITH_TIMEOUT(f.paneText(channel).count("\r\n") >= 3, 10000);
    const QByteArray shown = f.paneText(channel);
    const QList<QByteArray> lines = shown.left(shown.lastIndexOf("\r\n") + 2).split('\n');
    for (const QByteArray &line : lines.first(lines.size() - 1)) {
        const QString text = QString::fromLatin1(line + '\n');
        QVERIFY2(readingLine.match(text).hasMatch(), qPrintable(text));
    }
    // What is shown always ends with a whole line's CR.
    QVERIFY(shown.endsWith('\r'));
    f.switchOff(channel);
    QCOMPARE(dismissMessageBoxes(), QStringList());
}

// Each row: a `js` example of the README or the docs, which must run to its
// end headless with both channels on the peer over TCP.
void TestDemoPeer::docsScriptExamplesRunAgainstIt_data()
{
    QTest::addColumn<QByteArray>("script");
    const QRegularExpression example(QStringLiteral("```js\n(.*?)```"),
                                     QRegularExpression::DotMatchesEverythingOption);
    for (const char *page : {"README.md", "docs/manual.md", "docs/scripts.md"}) {
        QFile file(QStringLiteral(VARNOK_SOURCE_DIR "/") + QLatin1String(page));
        QVERIFY2(file.open(QIODevice::ReadOnly), page);
        int number = 0;
        for (const QRegularExpressionMatch &match : example.globalMatch(file.readAll()))
            QTest::addRow("%s, example %d", page, ++number) << match.captured(1).toUtf8();
    }
}

void TestDemoPeer::docsScriptExamplesRunAgainstIt()
{
    QFETCH(QByteArray, script);
    PeerRun run;
    const QByteArray port = QByteArray::number(startTcpPeer(run));
    QVERIFY(port != "0");
    QTemporaryDir dir;
    const QByteArray channel = "\nOn=true\nPort=TCP\nHost=127.0.0.1\nSocket=" + port + '\n';
    const QString setup = dir.filePath(QStringLiteral("demo.vterm"));
    const QString source = dir.filePath(QStringLiteral("example.js"));
    QVERIFY(written(setup, "[Channel1]" + channel + "[Channel2]" + channel));
    QVERIFY(written(source, script));
    const ToolRun example =
        runTool(testBinaryDir() + QStringLiteral("/src/app/varnokterm"),
                {QStringLiteral("--headless"), setup, QStringLiteral("--script"), source});
    QVERIFY2(example.exitCode == 0, qPrintable(example.output));
}

QTEST_MAIN(TestDemoPeer)
#include "tst_demo_peer.moc"
