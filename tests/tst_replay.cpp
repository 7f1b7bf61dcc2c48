// Replaying recordings on a channel: a log at its recorded pace, a replay
// stopped by the pane's Clear, and files that are no recordings.
#include "devices/channel.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

QByteArray stamp(const QDateTime &at)
{
    return at.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).toLatin1();
}

} // namespace

class TestReplay : public QObject
{
    Q_OBJECT

private slots:
    void logPlaysAtItsRecordedPace();
    void clearStopsAReplay();
    void nonRecordingsAreRefused_data();
    void nonRecordingsAreRefused();
};

void TestReplay::logPlaysAtItsRecordedPace()
{
    QTemporaryDir dir;
    const QDateTime start = QDateTime::currentDateTime();
    const QString path =
        writeFile(dir, QStringLiteral("run.log"),
                  stamp(start) + " 1< T=1\\r\\n\n" + stamp(start.addMSecs(300)) + " 1> READ?\\r\n" +
                      stamp(start.addMSecs(400)) + " 1< T=2\\r\\n\n" + stamp(start.addMSecs(600)) +
                      " 1! reconnected\n" + stamp(start.addMSecs(1200)) + " 2< \\x02\\\\\\x03\n");
    Channel channel(1, true);
    QSignalSpy finished(&channel.replayer(), &Replayer::finished);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(channel.replayer().start({path}), QString());
    QVERIFY(finished.wait(5000));
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(qAbs(elapsed - 1200) <= 60, qPrintable(QString::number(elapsed))); // within 5%
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(channel.receivedCount(), 13); // the received lines only
    QVERIFY(channel.pane().text().startsWith("T=1"));
}

void TestReplay::clearStopsAReplay()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("slow.bin"), QByteArray(10000, 'x'));
    Channel channel(2, false);
    QSignalSpy finished(&channel.replayer(), &Replayer::finished);
    ReplayRequest request{path};
    request.rawBytesPerSecond = 1000;
    QCOMPARE(channel.replayer().start(request), QString());
    QTRY_VERIFY(channel.receivedCount() > 0);
    channel.clearReceived();
    QVERIFY(!channel.replayer().isRunning());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    const qint64 received = channel.receivedCount();
    QTest::qWait(50);
    QCOMPARE(channel.receivedCount(), received);
}

void TestReplay::nonRecordingsAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("message");
    QTest::newRow("text file") << "notes.txt" << QByteArray("hello\n")
                               << "notes.txt is not a recording: replay takes a raw recording";
    QTest::newRow("not log lines")
        << "other.log" << QByteArray("2026-12-07 14:24:52.006 1< ok\nhello\n")
        << "other.log is not a recording: Line 2 is not a timestamped log line.";
    QTest::newRow("empty log") << "empty.log" << QByteArray()
                               << "empty.log is not a recording: The file holds no log lines.";
}

void TestReplay::nonRecordingsAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(QString, message);
    QTemporaryDir dir;
    Channel channel(1, true);
    const QString error = channel.replayer().start({writeFile(dir, name, contents)});
    QVERIFY2(error.startsWith(message), qPrintable(error));
    QVERIFY(!channel.replayer().isRunning());
}

QTEST_GUILESS_MAIN(TestReplay)
#include "tst_replay.moc"
