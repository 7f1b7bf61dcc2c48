// varnokterm --headless runs a setup without any display: its script's
// end gives the exit status, and SIGTERM finishes a recording whole.

#include "support/pty_pair.h"
#include "support/ser2net_server.h"
#include "support/tcp_peer.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A device on a pty, a setup with channel 2 "On" on it, and the program
// started headless with no display or platform named at all.
struct HeadlessBench
{
    PtyPair pty;
    QTemporaryDir dir;
    QProcess program;

    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QByteArray read(const char *name) const
    {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    bool write(const char *name, const QByteArray &text) const
    {
        QFile out(file(name));
        return out.open(QIODevice::WriteOnly) && out.write(text) == text.size();
    }
    void start(const QStringList &options)
    {
        start("[Channel2]\nOn=true\nPort=" + pty.slavePath().toLocal8Bit() + '\n', options);
    }
    void start(const QByteArray &setup, const QStringList &options)
    {
        write("setup.vterm", setup);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        program.setProcessEnvironment(environment);
        program.start(qEnvironmentVariable("VARNOK_TEST_BINARY_DIR") + "/src/app/varnokterm",
                      QStringList{"--headless", file("setup.vterm")} + options);
    }
};

} // namespace

class TestHeadless : public QObject
{
    Q_OBJECT

private slots:
    void scriptGivesTheExitStatus_data();
    void scriptGivesTheExitStatus();
    void stopSignalFinishesTheRecording();
    void everyPortKindComesOn_data();
    void everyPortKindComesOn();
    void runThatCannotCaptureEndsWithAFailure_data();
    void runThatCannotCaptureEndsWithAFailure();
};

void TestHeadless::scriptGivesTheExitStatus_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");

    QTest::newRow("reply arrives")
        << QByteArray("send(2, 'ping');\nexpect(2, 'pong');\n") << 0 << QString();
    QTest::newRow("reply missing") << QByteArray("send(2, 'ping');\nexpect(2, 'none', 300);\n") << 1
                                   << "script.js:2: Error: expect(2, \"none\"): nothing "
                                      "matched within 300 ms\n";
}

void TestHeadless::scriptGivesTheExitStatus()
{
    QFETCH(QByteArray, script);
    QFETCH(int, status);
    QFETCH(QString, error);

    HeadlessBench bench;
    QVERIFY(bench.write("script.js", script));
    bench.start({"--script", bench.file("script.js")});
    QCOMPARE(bench.pty.read(4, 20000), QByteArray("ping"));
    bench.pty.write("pong");
    QVERIFY(bench.program.waitForFinished(20000));
    QCOMPARE(bench.program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(QString::fromLocal8Bit(bench.program.readAllStandardError()), error);
    QCOMPARE(bench.program.exitCode(), status);
}

void TestHeadless::stopSignalFinishesTheRecording()
{
    HeadlessBench bench;
    bench.start({"--record", "log2:" + bench.file("capture.log")});
    QVERIFY(bench.program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bench.file("capture.log")), 20000);
    bench.pty.write("first\r\nsecond without its end");
    const auto written = [&bench] {
        QFile log(bench.file("capture.log"));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    };
    QTRY_VERIFY_WITH_TIMEOUT(written().contains("first"), 20000);
    bench.program.terminate();
    QVERIFY(bench.program.waitForFinished(20000));
    QCOMPARE(bench.program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(bench.program.exitCode(), 0);
    QVERIFY2(written().endsWith(" 2< second without its end\n"), written().constData());
}

// Each kind a port entry names comes on headless, and what its peer sends
// reaches the raw recording byte for byte.
void TestHeadless::everyPortKindComesOn_data()
{
    QTest::addColumn<QByteArray>("port");
    QTest::newRow("serial") << QByteArray("serial");
    QTest::newRow("TCP") << QByteArray("TCP");
    QTest::newRow("RFC 2217") << QByteArray("RFC 2217");
    QTest::newRow("TCP Listen") << QByteArray("TCP Listen");
}

void TestHeadless::everyPortKindComesOn()
{
    QFETCH(QByteArray, port);
    const QByteArray bytes("kind\x00\xff\xff\r\n", 9);
    HeadlessBench bench;
    TcpPeer peer;
    Ser2NetServer server;
    QTcpSocket client;
    QByteArray setup = "[Channel1]\nOn=true\nHost=127.0.0.1\nPort=" + port + "\nSocket=";
    if (port == "serial") {
        setup = "[Channel1]\nOn=true\nPort=" + bench.pty.slavePath().toLocal8Bit();
    } else if (port == "TCP") {
        setup += QByteArray::number(peer.port());
    } else if (port == "RFC 2217") {
        if (!Ser2NetServer::isInstalled())
            QSKIP("ser2net is not installed (/usr/sbin/ser2net)");
        QVERIFY(server.start(QStringLiteral("telnet(rfc2217)"), bench.pty.slavePath()));
        setup += QByteArray::number(server.port());
    } else {
        setup += QByteArray::number(TcpPeer::refusedPort());
    }
    bench.start(setup + '\n', {"--record", "raw1:" + bench.file("raw.bin")});
    QVERIFY(bench.program.waitForStarted());
    if (port == "TCP") {
        QVERIFY(peer.waitForClient(20000));
        peer.send(bytes);
    } else if (port == "TCP Listen") {
        const quint16 socket = setup.sliced(setup.lastIndexOf('=') + 1).toUShort();
        for (int tries = 0; tries < 100 && client.state() != QTcpSocket::ConnectedState; ++tries) {
            client.abort();
            client.connectToHost(QHostAddress::LocalHost, socket);
            if (!client.waitForConnected(1000))
                QTest::qWait(200);
        }
        client.write(bytes);
        QVERIFY(client.waitForBytesWritten(5000));
    } else {
        // ser2net opens the device once the program connects: the bytes wait
        // in the pair until the device is read.
        bench.pty.write(bytes);
    }
    QTRY_COMPARE_WITH_TIMEOUT(bench.read("raw.bin").toHex(), bytes.toHex(), 20000);
    bench.program.terminate();
    QVERIFY(bench.program.waitForFinished(20000));
    QCOMPARE(bench.program.exitCode(), 0);
    QCOMPARE(bench.program.readAllStandardError(), QByteArray());
}

// A run with no script that captures nothing, or only into a failed file,
// or would listen beyond loopback, ends with status 1 and says why. %PTY% is
// a device, %HELD% a port the test listens on at 127.0.0.1 (a listen at
// "*" there could not bind, so no test listens beyond loopback).
void TestHeadless::runThatCannotCaptureEndsWithAFailure_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QByteArray>("said");

    QTest::newRow("no channel comes on")
        << QByteArray("[Channel2]\nOn=true\nPort=/nonexistent-device\n") << QString()
        << QByteArray("No channel is on");
    QTest::newRow("no channel is On")
        << QByteArray("[Channel2]\nFormat=Hex\n") << QString() << QByteArray("No channel is on");
    QTest::newRow("the recording fails")
        << QByteArray("[Channel2]\nOn=true\nPort=%PTY%\n") << "raw2:/dev/full"
        << QByteArray("The recording /dev/full stopped");
    QTest::newRow("listening beyond loopback")
        << QByteArray("[Channel1]\nOn=true\nPort=TCP Listen\nHost=*\nSocket=%HELD%\n") << QString()
        << QByteArray("--allow-listen-beyond-loopback");
}

void TestHeadless::runThatCannotCaptureEndsWithAFailure()
{
    QFETCH(QByteArray, setup);
    QFETCH(QString, record);
    QFETCH(QByteArray, said);
    HeadlessBench bench;
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost));
    setup.replace("%PTY%", bench.pty.slavePath().toLocal8Bit());
    setup.replace("%HELD%", QByteArray::number(holder.serverPort()));
    bench.start(setup, record.isEmpty() ? QStringList() : QStringList{"--record", record});
    QVERIFY(bench.program.waitForStarted());
    QByteArray error;
    if (!record.isEmpty()) {
        // The run goes on capturing; its end gives the failure's status.
        bench.pty.write(QByteArray(64 << 10, 'x'));
        QTRY_VERIFY_WITH_TIMEOUT((error += bench.program.readAllStandardError()).contains(said),
                                 20000);
        bench.program.terminate();
    }
    QVERIFY(bench.program.waitForFinished(20000));
    error += bench.program.readAllStandardError();
    QVERIFY2(error.contains(said), error.constData());
    QCOMPARE(bench.program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(bench.program.exitCode(), 1);
}

QTEST_GUILESS_MAIN(TestHeadless)
#include "tst_headless.moc"
