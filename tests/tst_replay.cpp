// Replaying recordings on a channel: a log line waits for its time, a log's
// line ends, gaps and channel choice, a log read a piece at a time, a replay
// stopped by the pane's Clear, and files that are no recordings.
#include "devices/channel.h"

#include <QDateTime>
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
    void logLineWaitsForItsTime();
    void logLinesAndChannelsPlayed_data();
    void logLinesAndChannelsPlayed();
    void logIsHeldAPieceAtATime();
    void clearStopsAReplay();
    void nonRecordingsAreRefused_data();
    void nonRecordingsAreRefused();
};

void TestReplay::logLineWaitsForItsTime()
{
    QTemporaryDir dir;
    const QDateTime start = QDateTime::currentDateTime();
    const QString path = writeFile(dir, QStringLiteral("run.log"),
                                   stamp(start) + " 1< T=1\\r\\n\n" + stamp(start.addMSecs(300)) +
                                       " 1> READ?\\r\n" + stamp(start.addSecs(3600)) + " 1< T=2\n");
    Channel channel(1, true);
    QCOMPARE(channel.replayer().start({path}), QString());
    QTRY_COMPARE(channel.receivedCount(), 5);
    QTest::qWait(50);
    QCOMPARE(channel.receivedCount(), 5); // the next line's hour has not come
    QVERIFY(channel.replayer().isRunning());
    QVERIFY(channel.pane().text().startsWith("T=1"));
}

void TestReplay::logLinesAndChannelsPlayed_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<int>("lines"); // ReplayRequest::logChannel
    QTest::addColumn<QByteArray>("played");
    QTest::addColumn<QString>("said"); // by noted() or finished()
    const QByteArray both = "2026-12-07 14:24:52.006 1< a\\r\n2026-12-07 14:24:52.007 2< b\n"
                            "2026-12-07 14:24:52.008 1> sent\n2026-12-07 14:24:52.009 1< c\n";
    QByteArray crlf = both;
    crlf.replace("\n", "\r\n");
    QTest::newRow("every channel") << both << 0 << QByteArray("a\rbc") << "done.";
    QTest::newRow("channel 1's") << both << 1 << QByteArray("a\rc") << "done.";
    QTest::newRow("channel 2's") << both << 2 << QByteArray("b") << "done.";
    QTest::newRow("blank lines") << "\n" + both + "\n \n\n" << 0 << QByteArray("a\rbc") << "done.";
    QTest::newRow("CR LF") << crlf << 0 << QByteArray("a\rbc") << "done.";
    QTest::newRow("a line that does not read")
        << both + "hello\n" + both << 0 << QByteArray("a\rbc") << "Line 5 is not a";
    // Not waited for: a time far ahead (a damaged stamp), nor the step back after it.
    QTest::newRow("a gap over a day") << both + "9999-12-31 23:59:59.999 1< d\n" + both << 1
                                      << QByteArray("a\rcda\rc") << "Line 5 of two.log comes";
}

void TestReplay::logLinesAndChannelsPlayed()
{
    QFETCH(QByteArray, log);
    QFETCH(int, lines);
    QFETCH(QByteArray, played);
    QFETCH(QString, said);
    QTemporaryDir dir;
    ReplayRequest request{writeFile(dir, QStringLiteral("two.log"), log)}; // at its pace
    request.logChannel = lines;
    Channel channel(1, true);
    QByteArray bytes;
    QString text;
    connect(&channel, &Channel::batchReceived, this, [&](const QByteArray &b) { bytes += b; });
    connect(&channel.replayer(), &Replayer::noted, this, [&](const QString &t) { text += t; });
    connect(&channel.replayer(), &Replayer::finished, this,
            [&](bool, const QString &t) { text += t; });
    QCOMPARE(channel.replayer().start(request), QString());
    QTRY_VERIFY(!channel.replayer().isRunning());
    QVERIFY2(text.contains(said), qPrintable(text));
    QCOMPARE(bytes, played);
}

void TestReplay::logIsHeldAPieceAtATime()
{
    // Ten pieces of text; what the replay holds is sampled at every line.
    QByteArray log;
    const QByteArray line = "2026-12-07 14:24:52.006 1< " + QByteArray(200, 'x') + '\n';
    while (log.size() < 10 * LogFileReader::defaultPieceSize)
        log += line;
    QTemporaryDir dir;
    ReplayRequest request{writeFile(dir, QStringLiteral("long.log"), log)};
    request.fastest = true;
    Channel channel(1, true);
    qsizetype held = 0;
    connect(&channel, &Channel::batchReceived, this,
            [&] { held = std::max(held, channel.replayer().heldLogBytes()); });
    QSignalSpy finished(&channel.replayer(), &Replayer::finished);
    QCOMPARE(channel.replayer().start(request), QString());
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(channel.receivedCount(), log.size() / line.size() * 200);
    QVERIFY2(held > 0 && held <= LogFileReader::defaultPieceSize + line.size(),
             qPrintable(QString::number(held)));
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
        << "other.log" << QByteArray("\r\nhello\n2026-12-07 14:24:52.006 1< ok\n")
        << "other.log is not a recording: Line 2 is not a timestamped log line.";
    QTest::newRow("blank log") << "empty.log" << QByteArray("\n\r\n")
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
