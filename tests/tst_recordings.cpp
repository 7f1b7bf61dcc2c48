// Recordings on real channels and real files: pty and 127.0.0.1 sources,
// /dev/full, a file size limit, and a named pipe nobody reads.
#include "devices/capture_session.h"
#include "support/byte_checks.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A log's lines after their timestamps, which must have the log's form.
QByteArrayList logBodies(const QByteArray &log)
{
    static const QRegularExpression stamp(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} $"));
    QByteArrayList bodies;
    for (const QByteArray &line : log.split('\n')) {
        if (line.isEmpty())
            continue;
        if (!stamp.match(QString::fromLatin1(line.left(24))).hasMatch())
            return {"<bad timestamp: " + line + '>'};
        bodies << line.mid(24);
    }
    return bodies;
}

// A session with channel 2 switched on to a pty.
struct PtySession
{
    CaptureSession session;
    PtyPair pty;
    Channel &channel = session.channel(2);
    Recordings &recordings = session.recordings();

    PtySession()
    {
        session.setSignOnDefaults();
        channel.switchOnSerial(pty.slavePath(), session.serialSettings());
    }
    QString record(RecordSource source, RecordKind kind, const QString &path)
    {
        return recordings.start(source, kind, path, FileWriter::Existing::Replace);
    }
    // Plays the device and waits until the channel has the bytes.
    bool receive(const QByteArray &bytes)
    {
        const qint64 expected = channel.receivedCount() + bytes.size();
        pty.write(bytes);
        return QTest::qWaitFor([&] { return channel.receivedCount() == expected; });
    }
    void finish()
    {
        recordings.stopAll();
        recordings.waitForFiles();
    }
};

} // namespace

class TestRecordings : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void rawIsByteExact_data();
    void rawIsByteExact();
    void textAsShownIsNeverTakenBack_data();
    void textAsShownIsNeverTakenBack();
    void localEchoIsShownAndLoggedButNotRaw_data();
    void localEchoIsShownAndLoggedButNotRaw();
    void bothChannelsInArrivalOrderWithSentLines();
    void logCutShortEndsWithAWholeEntry();
    void slowDiskStopsTheRecording();
    void fileCutShortGoesOnAtItsEnd();
    void secondRecordingOfASourceOrAFileSaysWhichRuns();

private:
    QString file(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
};

void TestRecordings::rawIsByteExact_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::newRow("10 MB through a pty") << false;
    QTest::newRow("10 MB over 127.0.0.1 TCP") << true;
}

void TestRecordings::rawIsByteExact()
{
    QFETCH(bool, tcp);
    const QByteArray sent = randomBytes(10 << 20, tcp ? 16 : 61);
    CaptureSession session;
    session.setSignOnDefaults();
    Channel &channel = session.channel(tcp ? 1 : 2);
    channel.setFormat(ReceiveFormat::Hex); // the pane's form doesn't matter
    // Started while off: it holds everything from the switch-on.
    const RecordSource source = tcp ? RecordSource::channel(1) : RecordSource::channel(2);
    QCOMPARE(session.recordings().start(source, RecordKind::Raw, file("raw.bin"),
                                        FileWriter::Existing::Replace),
             QString());
    PtyPair pty;
    TcpPeer peer;
    if (tcp) {
        channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(peer.port()));
        QVERIFY(peer.waitForClient());
        peer.send(sent);
    } else {
        channel.switchOnSerial(pty.slavePath(), session.serialSettings());
        for (qsizetype at = 0; at < sent.size(); at += 65536)
            pty.write(sent.mid(at, 65536));
    }
    QTRY_COMPARE_WITH_TIMEOUT(channel.receivedCount(), sent.size(), 60000);
    channel.switchOff();
    QTRY_VERIFY(!session.recordings().isRecording(source));
    session.recordings().waitForFiles();
    const QByteArray recorded = fileBytes(file("raw.bin"));
    QVERIFY2(recorded == sent, differenceOf(recorded, sent).constData());
}

void TestRecordings::textAsShownIsNeverTakenBack_data()
{
    QTest::addColumn<AccumulateMode>("addTo");
    QTest::newRow("added on") << AccumulateMode::AddOn;
    QTest::newRow("cleared first") << AccumulateMode::ClearFirst;
}

void TestRecordings::textAsShownIsNeverTakenBack()
{
    QFETCH(AccumulateMode, addTo);
    PtySession s;
    s.channel.setAccumulate(addTo);
    s.channel.setDisplayMode(DisplayMode::AfterCr);
    s.record(RecordSource::channel(2), RecordKind::Shown, file("shown.txt"));
    QVERIFY(s.receive("AB\r"));
    s.channel.setFormat(ReceiveFormat::Hex);
    QVERIFY(s.receive("C\r"));
    s.finish();
    QCOMPARE(fileBytes(file("shown.txt")), QByteArray("AB\r 43 0D"));
}

void TestRecordings::localEchoIsShownAndLoggedButNotRaw_data()
{
    QTest::addColumn<RecordKind>("kind");
    QTest::addColumn<QByteArray>("recorded");
    QTest::newRow("raw") << RecordKind::Raw << QByteArray("ok\r\nA\r\n");
    QTest::newRow("as shown") << RecordKind::Shown << QByteArray("ok\r\n> hi\rA\r\n");
    QTest::newRow("log") << RecordKind::Log << QByteArray("2< ok\\r\\n|2> hi\\r|2< A\\r\\n");
}

void TestRecordings::localEchoIsShownAndLoggedButNotRaw()
{
    QFETCH(RecordKind, kind);
    QFETCH(QByteArray, recorded);
    PtySession s;
    s.channel.setLocalEcho(true);
    QCOMPARE(s.record(RecordSource::channel(2), kind, file("echo")), QString());
    QVERIFY(s.receive("ok\r\n"));
    s.channel.type("hi\r");
    QCOMPARE(s.pty.read(3), QByteArray("hi\r"));
    QVERIFY(s.receive("A\r\n"));
    s.finish();
    const QByteArray shown("ok\r\n> hi\rA\r\n");
    QCOMPARE(s.channel.pane().text(), shown);
    for (qsizetype pos = 0; pos < shown.size(); ++pos)
        QCOMPARE(s.channel.pane().echoRanges().contains(pos), pos >= 4 && pos < 9);
    const QByteArray bytes = fileBytes(file("echo"));
    QCOMPARE(kind == RecordKind::Log ? logBodies(bytes).join('|') : bytes, recorded);
}

void TestRecordings::bothChannelsInArrivalOrderWithSentLines()
{
    PtySession s;
    TcpPeer peer;
    QCOMPARE(s.record(RecordSource::allChannels(), RecordKind::Log, file("both.log")), QString());
    Channel &channel1 = s.session.channel(1);
    channel1.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(peer.port()));
    QVERIFY(peer.waitForClient());
    QByteArrayList expected;
    for (int i = 0; i < 10; ++i) {
        const QByteArray line = QByteArray::number(i) + '\n';
        if (i % 3 == 0) {
            peer.send(line);
            QTRY_COMPARE(channel1.receivedCount(), (i / 3 + 1) * 2);
        } else {
            QVERIFY(s.receive(line));
        }
        expected << (i % 3 == 0 ? "1< " : "2< ") + line.chopped(1) + "\\n";
        if (i == 4) {
            s.channel.type("AT\r");
            QCOMPARE(s.pty.read(3), QByteArray("AT\r"));
            expected << "2> AT\\r";
        }
    }
    // One channel off: the log goes on; both off: it stops.
    channel1.switchOff();
    QTest::qWait(10);
    QVERIFY(s.recordings.isRecording(RecordSource::allChannels()));
    s.channel.switchOff();
    QTRY_VERIFY(!s.recordings.isRecording(RecordSource::allChannels()));
    s.recordings.waitForFiles();
    QCOMPARE(logBodies(fileBytes(file("both.log"))), expected);
}

void TestRecordings::logCutShortEndsWithAWholeEntry()
{
    // A file size limit plays a disk that fills up partway through an entry.
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 1000;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
    auto restore = qScopeGuard([&] {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    });

    PtySession s;
    QSignalSpy failed(&s.recordings, &Recordings::failed);
    s.record(RecordSource::channel(2), RecordKind::Log, file("cut.log"));
    const QByteArray line = QByteArray(50, 'x') + '\n'; // an 80-byte entry
    for (int i = 0; i < 40 && failed.isEmpty(); ++i)
        QVERIFY(s.receive(line));
    QTRY_COMPARE(failed.count(), 1);
    s.recordings.waitForFiles();
    const QByteArray log = fileBytes(file("cut.log"));
    QCOMPARE(log.size(), 12 * 80);
    for (const QByteArray &body : logBodies(log))
        QCOMPARE(body, "2< " + line.chopped(1) + "\\n");
}

void TestRecordings::slowDiskStopsTheRecording()
{
    // A named pipe nobody reads stands in for a disk that stopped.
    const QByteArray pipe = QFile::encodeName(file("stuck"));
    QVERIFY(mkfifo(pipe.constData(), 0600) == 0);
    const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    auto closeReader = qScopeGuard([reader] { ::close(reader); });

    PtySession s;
    s.recordings.setQueueLimit(1 << 20);
    QSignalSpy failed(&s.recordings, &Recordings::failed);
    s.recordings.start(RecordSource::channel(2), RecordKind::Raw, file("stuck"),
                       FileWriter::Existing::Append);
    const QByteArray sent = randomBytes(3 << 20, 5);
    for (qsizetype at = 0; at < sent.size() && failed.isEmpty(); at += 65536)
        s.pty.write(sent.mid(at, 65536));
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(1).toString().contains(QLatin1String("did not keep up")),
             qPrintable(failed.at(0).at(1).toString()));
    QVERIFY(s.channel.isOn());

    // Once the pipe is read, the writer hands over what it queued and ends.
    QByteArray drained;
    char buffer[65536];
    QDeadlineTimer deadline(20000);
    for (ssize_t n = 1; n != 0 && !deadline.hasExpired();) { // 0: the writer has closed
        n = ::read(reader, buffer, sizeof buffer);
        if (n > 0)
            drained.append(buffer, n);
        else
            QTest::qWait(5);
    }
    s.recordings.waitForFiles();
    QVERIFY(drained.size() > 0);
    QVERIFY(sent.startsWith(drained));
}

// Another program empties the file while it records (a log rotation, say):
// what follows starts the file afresh, with no gap of zeros before it.
void TestRecordings::fileCutShortGoesOnAtItsEnd()
{
    PtySession s;
    const QString path = file("cut.bin");
    QCOMPARE(s.record(RecordSource::channel(2), RecordKind::Raw, path), QString());
    QVERIFY(s.receive("before the cut"));
    QTRY_COMPARE(QFileInfo(path).size(), qint64(14));
    QVERIFY(QFile::resize(path, 0));
    QVERIFY(s.receive("after"));
    s.finish();
    QCOMPARE(fileBytes(path), QByteArray("after"));
}

void TestRecordings::secondRecordingOfASourceOrAFileSaysWhichRuns()
{
    PtySession s;
    const QString running = file("a.bin");
    QCOMPARE(s.record(RecordSource::channel(2), RecordKind::Raw, running), QString());
    QCOMPARE(::link(QFile::encodeName(running).constData(),
                    QFile::encodeName(file("b.log")).constData()),
             0);
    // The channel's log beside its raw; a log of both to a hard link of the raw file.
    for (const RecordSource source : {RecordSource::channel(2), RecordSource::allChannels()})
        QVERIFY(s.record(source, RecordKind::Log, file("b.log")).contains(running));
    s.finish();
}

QTEST_GUILESS_MAIN(TestRecordings)
#include "tst_recordings.moc"
