// Scripts drive a channel on a pseudo-terminal whose other end answers what
// it hears: replies are matched, time-outs, bad scripts and refused sends
// stop only the script with a message naming the line, a stop or an
// unplugged device ends a script waiting in expect, and a match's time is
// its batch's time in the pane and a log.

#include "automation/script_run.h"
#include "core/arrival_clock.h"
#include "devices/capture_session.h"
#include "support/pty_pair.h"

#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// Channel 2 on a pty whose device end answers each read with "re:" and
// what it read, and remembers everything it heard.
struct ScriptBench
{
    CaptureSession session;
    PtyPair pty;
    QByteArray heard;
    QSocketNotifier notifier{pty.masterFd(), QSocketNotifier::Read};
    ScriptRun run{ScriptHost{&session}};
    std::optional<ScriptOutcome> outcome;
    QStringList logged;
    QTemporaryDir dir;

    ScriptBench()
    {
        QObject::connect(&notifier, &QSocketNotifier::activated, [this] {
            char buffer[256];
            const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
            if (n <= 0)
                return;
            heard.append(buffer, n);
            pty.write("re:" + QByteArray(buffer, n));
        });
        QObject::connect(&run, &ScriptRun::finished,
                         [this](const ScriptOutcome &ended) { outcome = ended; });
        QObject::connect(&run, &ScriptRun::logged, [this](const QString &text) { logged << text; });
        Channel &channel = session.channel(2);
        channel.setSerialSettings(QStringLiteral("9600,n,8,1"));
        channel.setPortText(pty.slavePath());
        channel.switchOn();
    }
    QString start(const QByteArray &source)
    {
        QFile file(dir.filePath("script.js"));
        if (!file.open(QIODevice::WriteOnly) || file.write(source) != source.size())
            return QStringLiteral("could not write the script");
        file.close();
        return run.start(file.fileName());
    }
};

} // namespace

class TestScriptRun : public QObject
{
    Q_OBJECT

private slots:
    void runsToItsEnd_data();
    void runsToItsEnd();
    void endsWhenInterrupted_data();
    void endsWhenInterrupted();
    void recordsAndLogsIntoItsRecording();
    void replaysALogOutOfTheChannel();
    void aBatchHasOneTimeInThePaneTheLogAndTheScript();
};

void TestScriptRun::runsToItsEnd_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("heard");

    QTest::newRow("reply matched")
        << QByteArray("send(2, 'ping\\r');\n"
                      "var m = expect(2, /re:(\\w+)/, 5000);\n"
                      "if (m.groups[0] !== 'ping' || !(m.time instanceof "
                      "Date)) throw new Error('got ' + m.text);\n")
        << true << "script.js: finished" << QByteArray("ping\r");
    QTest::newRow("bytes as given") << QByteArray("send(2, [0, 255]);\n"
                                                  "send(2, new Uint8Array([65, 66]).subarray(1));\n"
                                                  "send(2, '\\u00e9\\u20ac');\n"
                                                  "expect(2, '?');\n")
                                    << true << "script.js: finished"
                                    << QByteArray("\0\xff"
                                                  "B\xe9?",
                                                  5);
    QTest::newRow("expect times out")
        << QByteArray("send(2, 'ping');\n\nexpect(2, 'pong', 300);\n") << false
        << "script.js:3: Error: expect(2, \"pong\"): nothing matched within 300 ms"
        << QByteArray("ping");
    QTest::newRow("flush drops what was kept")
        << QByteArray("send(2, 'yz\\r');\nexpect(2, /re:y(?=z\\r)/, 5000);\n"
                      "if (flush(2) !== 2) throw new Error('not 2 bytes');\nexpect(2, 'z', 300);\n")
        << false << "script.js:4: Error: expect(2, \"z\"): nothing matched within 300 ms"
        << QByteArray("yz\r");
    QTest::newRow("control bytes shown escaped")
        << QByteArray("expect(2, '\\x06\\r', 300);\n") << false
        << "script.js:1: Error: expect(2, \"\\x06\\r\"): nothing matched within 300 ms"
        << QByteArray();
    // Patterns JavaScript accepts are matched as JavaScript matches them,
    // never as a pattern that matches at once.
    QTest::newRow("RegExp with \\u escape")
        << QByteArray("send(2, 'ACK');\nvar m = expect(2, /:\\u0041CK/, 5000);\n"
                      "if (m.text !== ':ACK') throw new Error('got ' + m.text);\n")
        << true << "script.js: finished" << QByteArray("ACK");
    QTest::newRow("RegExp with [^]")
        << QByteArray("send(2, 'ACK');\nvar m = expect(2, /[^]ACK/g, 5000);\n"
                      "if (m.text !== ':ACK') throw new Error('got ' + m.text);\n")
        << true << "script.js: finished" << QByteArray("ACK");
    QTest::newRow("RegExp with \\u escape, nothing sent")
        << QByteArray("expect(2, /\\u0041CK/, 300);\n") << false
        << "script.js:1: Error: expect(2, /\\u0041CK/): nothing matched within 300 ms"
        << QByteArray();
    QTest::newRow("RegExp with [^], nothing sent")
        << QByteArray("expect(2, /[^]ACK/, 300);\n") << false
        << "script.js:1: Error: expect(2, /[^]ACK/): nothing matched within 300 ms" << QByteArray();
    QTest::newRow("syntax error") << QByteArray("send(2, 'a');\nsend(2, 'b'));\n") << false
                                  << "script.js:2: SyntaxError" << QByteArray();
    QTest::newRow("send while off")
        << QByteArray("off(2);\nsend(2, 'x');\n") << false
        << "script.js:2: Error: send: Comm Port 2 is off" << QByteArray();
    QTest::newRow("settings changed in place")
        << QByteArray("setSettings(2, '250000,n,8,1');\nsend(2, 'x');\nexpect(2, 're:x', 5000);\n")
        << true << "script.js: finished" << QByteArray("x");
    QTest::newRow("settings refused")
        << QByteArray("setSettings(2, '9600,n,7,1');\n") << false
        << "script.js:1: Error: setSettings(2): the device refused 7 data bits" << QByteArray();
    QTest::newRow("bridge started and stopped") << QByteArray("bridge('1<>2');\nbridge('off');\n")
                                                << true << "script.js: finished" << QByteArray();
    QTest::newRow("bridge to itself")
        << QByteArray("bridge('2>2');\n") << false
        << "script.js:1: Error: bridge(2>2): no bridge such as" << QByteArray();
    QTest::newRow("no such channel")
        << QByteArray("send(7, 'x');\n") << false
        << "script.js:1: Error: send: there is no channel 7" << QByteArray();
    QTest::newRow("replay of no recording")
        << QByteArray("replay(2, 'notes.txt');\n") << false
        << "script.js:1: Error: replay(2): notes.txt is not a recording" << QByteArray();
    QTest::newRow("unknown record kind")
        << QByteArray("record(2, 'wav', 'x.wav');\n") << false
        << "script.js:1: Error: record(2): the kind \"wav\" is none of" << QByteArray();
}

void TestScriptRun::runsToItsEnd()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    QFETCH(QByteArray, heard);

    ScriptBench bench;
    QVERIFY(bench.pty.isOpen());
    QCOMPARE(bench.start(script), QString());
    QTRY_VERIFY_WITH_TIMEOUT(bench.outcome.has_value(), 10000);
    QCOMPARE(bench.outcome->ok, ok);
    QVERIFY2(bench.outcome->message.startsWith(message), qPrintable(bench.outcome->message));
    QTRY_COMPARE(bench.heard, heard);
    // The capture goes on after a failed script.
    QVERIFY(bench.session.channel(2).isOn() || script.startsWith("off"));
}

void TestScriptRun::endsWhenInterrupted_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("unplug");
    QTest::addColumn<QString>("message");

    QTest::newRow("stop in expect")
        << QByteArray("log('go');\nexpect(2, 'never', 600000);\n") << false << "script.js: stopped";
    QTest::newRow("stop in an endless loop")
        << QByteArray("log('go');\nfor (;;) {}\n") << false << "script.js: stopped";
    QTest::newRow("stop in wait") << QByteArray("log('go');\nwait(600000);\n") << false
                                  << "script.js: stopped";
    QTest::newRow("unplugged in expect")
        << QByteArray("log('go');\nexpect(2, 'never', 600000);\n") << true
        << "script.js:2: Error: expect(2, \"never\"): Comm Port 2 switched off while waiting";
}

void TestScriptRun::endsWhenInterrupted()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, unplug);
    QFETCH(QString, message);

    ScriptBench bench;
    QCOMPARE(bench.start(script), QString());
    QTRY_COMPARE(bench.logged, QStringList{"go"});
    if (unplug)
        bench.pty.closeMaster();
    else
        bench.run.stop();
    QTRY_VERIFY_WITH_TIMEOUT(bench.outcome.has_value(), 10000);
    QCOMPARE(bench.outcome->message, message);
    QVERIFY(!bench.run.isRunning());
}

void TestScriptRun::recordsAndLogsIntoItsRecording()
{
    ScriptBench bench;
    const QString path = bench.dir.filePath(QStringLiteral("script.log"));
    QCOMPARE(bench.start("record(2, 'log', '" + path.toUtf8() +
                         "');\n"
                         "send(2, 'ping');\n"
                         "expect(2, 're:ping');\n"
                         "log('seen');\n"
                         "stopRecording();\n"
                         "log('after');\n"),
             QString());
    QTRY_VERIFY_WITH_TIMEOUT(bench.outcome.has_value(), 10000);
    QVERIFY2(bench.outcome->ok, qPrintable(bench.outcome->message));
    QTRY_VERIFY(!bench.session.recordings().isAnyRecording());
    bench.session.recordings().waitForFiles();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArrayList kinds;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            kinds << line.mid(24); // past the time
    QCOMPARE(kinds, (QByteArrayList{"2> ping", "2< re:ping", "2! script: seen"}));
}

QTEST_GUILESS_MAIN(TestScriptRun)
// replay(..., {into: "device"}) sends a log's received lines out of the
// channel, to the device at the pty's other end.
void TestScriptRun::replaysALogOutOfTheChannel()
{
    ScriptBench bench;
    QFile log(bench.dir.filePath(QStringLiteral("run.log")));
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.write("2026-12-07 14:24:52.006 2< T=1\\r\\n\n2026-12-07 14:24:52.106 2> READ?\\r\n"
              "2026-12-07 14:24:52.306 2< \\x02\\\\\\x03\n");
    log.close();
    QCOMPARE(bench.start("replay(2, '" + log.fileName().toUtf8() +
                         "', {into: 'device', fastest: true});\n"),
             QString());
    QTRY_COMPARE(bench.heard, QByteArray("T=1\r\n\x02\\\x03"));
    QTRY_VERIFY(bench.outcome.has_value() && bench.outcome->ok);
}

void TestScriptRun::aBatchHasOneTimeInThePaneTheLogAndTheScript()
{
    // A clock that never reads the same twice: a consumer of a received
    // batch that read a clock of its own would get a time of its own.
    ArrivalClock::setWallSource([] {
        static qint64 next = QDateTime(QDate(2026, 1, 5), QTime(9, 0)).toMSecsSinceEpoch();
        return next += 1001;
    });
    const auto systemClockAgain = qScopeGuard([] { ArrivalClock::setWallSource(nullptr); });
    ScriptBench bench;
    const QString path = bench.dir.filePath(QStringLiteral("times.log"));
    QCOMPARE(bench.start("record(2, 'log', '" + path.toUtf8() +
                         "');\n"
                         "log('ready');\n"
                         "log('at ' + expect(2, 'x', 10000).time.getTime());\n"
                         "stopRecording();\n"),
             QString());
    QTRY_VERIFY_WITH_TIMEOUT(bench.logged.contains("ready"), 10000);
    bench.pty.write("x"); // one byte: one batch
    QTRY_VERIFY_WITH_TIMEOUT(bench.outcome.has_value(), 10000);
    QVERIFY2(bench.outcome->ok, qPrintable(bench.outcome->message));
    bench.session.recordings().waitForFiles();

    const qint64 paneMs = bench.session.channel(2).pane().lineTime(0);
    QCOMPARE(bench.logged.value(1), QStringLiteral("at %1").arg(paneMs));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray log = file.readAll();
    const qsizetype entry = log.indexOf(" 2< x\n");
    QVERIFY2(entry >= 23, log.constData());
    const QDateTime logged = QDateTime::fromString(QString::fromLatin1(log.mid(entry - 23, 23)),
                                                   "yyyy-MM-dd hh:mm:ss.zzz");
    QCOMPARE(logged.toMSecsSinceEpoch(), paneMs);
}

#include "tst_script_run.moc"
