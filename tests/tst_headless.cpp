// varnokterm --headless runs a setup without any display: its script's
// end gives the exit status, and SIGTERM finishes a recording whole.

#include "support/pty_pair.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
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
        program.setReadChannel(QProcess::StandardError);
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
    void runThatCannotCaptureEndsWithAFailure_data();
    void runThatCannotCaptureEndsWithAFailure();
    void fourChannelSetupRecordsEachIntoOneLog();
    void numbersReachTheScriptAndTheCsv();
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

// A setup with [Channel3] and [Channel4] opens four channels: each one's
// lines reach the log of every channel with its own mark.
void TestHeadless::fourChannelSetupRecordsEachIntoOneLog()
{
    HeadlessBench bench;
    PtyPair more[3];
    QByteArray setup;
    for (int n = 1; n <= 4; ++n) {
        const QString port = n == 1 ? bench.pty.slavePath() : more[n - 2].slavePath();
        setup += QStringLiteral("[Channel%1]\nOn=true\nPort=%2\n").arg(n).arg(port).toLocal8Bit();
    }
    bench.start(setup, {"--record", "log:" + bench.file("all.log")});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bench.file("all.log")), 20000);
    const QByteArray words[] = {"one", "two", "three", "four"};
    for (int n = 1; n <= 4; ++n)
        (n == 1 ? bench.pty : more[n - 2]).write(words[n - 1] + "\r\n");
    for (int n = 1; n <= 4; ++n)
        QTRY_VERIFY_WITH_TIMEOUT(
            bench.read("all.log").contains(QByteArray::number(n) + "< " + words[n - 1]), 20000);
    bench.program.terminate();
    QVERIFY(bench.program.waitForFinished(20000));
    QCOMPARE(bench.program.exitCode(), 0);
}

// The numbers found in lines: a script reads the latest of a series, and
// --record csvN writes every point when the run ends.
void TestHeadless::numbersReachTheScriptAndTheCsv()
{
    HeadlessBench bench;
    QVERIFY(bench.write("script.js", "send(2, 'go');\nexpect(2, 'end');\n"
                                     "const t = plotValue(2, 'T');\n"
                                     "if (t !== 24.5) throw new Error('T is ' + t);\n"));
    bench.start({"--script", bench.file("script.js"), "--record", "csv2:" + bench.file("v.csv")});
    QCOMPARE(bench.pty.read(2, 20000), QByteArray("go"));
    bench.pty.write("T=23.5C P=1000\r\nT=24.5C P=1001\r\nend\r\n");
    QVERIFY(bench.program.waitForFinished(20000));
    QCOMPARE(QString::fromLocal8Bit(bench.program.readAllStandardError()), QString());
    QCOMPARE(bench.program.exitCode(), 0);
    const QList<QByteArray> rows = bench.read("v.csv").trimmed().split('\n');
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0), QByteArray("time,T [C],P"));
    QVERIFY2(rows.at(1).endsWith(",23.5,1000") && rows.at(2).endsWith(",24.5,1001"),
             rows.join('|').constData());
}

// A run with no script that captures nothing, only into a failed file, or
// would listen beyond loopback ends with status 1 and says why. %HELD% is a
// port the test holds at 127.0.0.1, so a listen at "*" could not bind.
void TestHeadless::runThatCannotCaptureEndsWithAFailure_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("no channel comes on") << QByteArray("[Channel2]\nOn=true\nPort=/absent\n")
                                         << QString() << QByteArray("No channel is on");
    QTest::newRow("the recording fails")
        << QByteArray() << "raw2:/dev/full" << QByteArray("The recording /dev/full stopped");
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
    QTcpServer held;
    QVERIFY(held.listen(QHostAddress::LocalHost));
    if (setup.isEmpty()) {
        bench.start({"--record", record});
        bench.pty.write(QByteArray(64 << 10, 'x'));
        QTRY_VERIFY_WITH_TIMEOUT(bench.program.peek(1 << 20).contains(said), 20000);
        bench.program.terminate(); // the failure's status comes at the end
    } else {
        bench.start(setup.replace("%HELD%", QByteArray::number(held.serverPort())), {});
    }
    QVERIFY(bench.program.waitForFinished(20000));
    QVERIFY(bench.program.readAll().contains(said));
    QCOMPARE(bench.program.exitCode(), 1);
}

QTEST_GUILESS_MAIN(TestHeadless)
#include "tst_headless.moc"
