// Recordings on real channels and real files: pty and 127.0.0.1 sources,
// /dev/full, a file size limit, and a named pipe nobody reads.
#include "devices/capture_session.h"
#include "devices/recordings.h"
#include "support/byte_checks.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"

#include <QDeadlineTimer>
#include <QFile>
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

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The log lines' "channel and direction" and text parts, the timestamps
// checked and dropped.
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

} // namespace

class TestRecordings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void rawIsByteExact_data();
    void rawIsByteExact();
    void textAsShownFollowsThePane_data();
    void textAsShownFollowsThePane();
    void logHasBothDirections();
    void bothChannelsInArrivalOrder();
    void appendOrReplace_data();
    void appendOrReplace();
    void writeErrorStopsThatRecordingOnly();
    void logCutShortEndsWithAWholeEntry();
    void slowDiskStopsTheRecording();

private:
    QString file(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    // Channel 2 on the pty.
    void switchOn2(CaptureSession &session, PtyPair &pty);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRecordings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestRecordings::switchOn2(CaptureSession &session, PtyPair &pty)
{
    session.channel(2).switchOnSerial(pty.slavePath(), session.serialSettings());
    QVERIFY(session.channel(2).isOn());
}

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
    const int n = tcp ? 1 : 2;
    Channel &channel = session.channel(n);
    channel.modes().format = ReceiveFormat::Hex; // the pane's form doesn't matter
    // Started while off: it holds everything from the switch-on.
    const RecordSource source = tcp ? RecordSource::Channel1 : RecordSource::Channel2;
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
        switchOn2(session, pty);
        for (qsizetype at = 0; at < sent.size(); at += 65536)
            pty.write(sent.mid(at, 65536));
    }
    QTRY_COMPARE_WITH_TIMEOUT(channel.receivedCount(), sent.size(), 60000);
    channel.switchOff();
    QTRY_VERIFY(!session.recordings().isRecording(source));
    session.recordings().waitForFiles();
    const QByteArray recorded = contents(file("raw.bin"));
    QVERIFY2(recorded == sent, differenceOf(recorded, sent).constData());
}

void TestRecordings::textAsShownFollowsThePane_data()
{
    QTest::addColumn<AccumulateMode>("addTo");
    QTest::newRow("added on") << AccumulateMode::AddOn;
    QTest::newRow("cleared first") << AccumulateMode::ClearFirst;
}

void TestRecordings::textAsShownFollowsThePane()
{
    QFETCH(AccumulateMode, addTo);
    CaptureSession session;
    session.setSignOnDefaults();
    PtyPair pty;
    switchOn2(session, pty);
    Channel &channel = session.channel(2);
    channel.module().addTo = addTo;
    channel.modes().display = DisplayMode::AfterCr;
    session.recordings().start(RecordSource::Channel2, RecordKind::Shown, file("shown.txt"),
                               FileWriter::Existing::Replace);
    pty.write("AB\r");
    QTRY_COMPARE(channel.pane().text(), QByteArray("AB\r"));
    channel.modes().format = ReceiveFormat::Hex;
    pty.write("C\r");
    QTRY_VERIFY(channel.pane().text().endsWith(" 43 0D"));
    session.recordings().stop(RecordSource::Channel2);
    session.recordings().waitForFiles();
    // Clearing the pane first doesn't take back what the file holds.
    QCOMPARE(contents(file("shown.txt")), QByteArray("AB\r 43 0D"));
}

void TestRecordings::logHasBothDirections()
{
    CaptureSession session;
    session.setSignOnDefaults();
    PtyPair pty;
    switchOn2(session, pty);
    Channel &channel = session.channel(2);
    channel.modes().format = ReceiveFormat::Hex;
    session.recordings().start(RecordSource::Channel2, RecordKind::Log, file("a.log"),
                               FileWriter::Existing::Replace);
    channel.type("AT\r");
    QCOMPARE(pty.read(3), QByteArray("AT\r"));
    pty.write("\r\nOK\r\n");
    QTRY_COMPARE(channel.receivedCount(), 6);
    pty.write("\x01\x02");
    QTRY_COMPARE(channel.receivedCount(), 8);
    // The unfinished piece reaches the file within 200 ms, with no line end.
    QTRY_COMPARE_WITH_TIMEOUT(logBodies(contents(file("a.log"))).size(), 4, 2000);
    channel.switchOff();
    QTRY_VERIFY(!session.recordings().isRecording(RecordSource::Channel2));
    session.recordings().waitForFiles();
    QCOMPARE(logBodies(contents(file("a.log"))),
             (QByteArrayList{"2> 41 54 0D", "2< 0D 0A", "2< 4F 4B 0D 0A", "2< 01 02"}));
}

void TestRecordings::bothChannelsInArrivalOrder()
{
    CaptureSession session;
    session.setSignOnDefaults();
    PtyPair pty;
    TcpPeer peer;
    Recordings &recordings = session.recordings();
    QCOMPARE(recordings.start(RecordSource::BothChannels, RecordKind::Log, file("both.log"),
                              FileWriter::Existing::Replace),
             QString());
    session.channel(1).switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(peer.port()));
    QVERIFY(peer.waitForClient());
    switchOn2(session, pty);
    QByteArrayList expected;
    for (int i = 0; i < 10; ++i) {
        const QByteArray line = QByteArray::number(i) + '\n';
        if (i % 3 == 0) {
            peer.send(line);
            expected << "1< " + line.chopped(1) + "\\n";
        } else {
            pty.write(line);
            expected << "2< " + line.chopped(1) + "\\n";
        }
        const int n = i % 3 == 0 ? 1 : 2;
        const qint64 before = session.channel(n).receivedCount();
        QTRY_COMPARE(session.channel(n).receivedCount(), before + line.size());
    }
    // One channel off: the log goes on; both off: it stops.
    session.channel(1).switchOff();
    QTest::qWait(10);
    QVERIFY(recordings.isRecording(RecordSource::BothChannels));
    session.channel(2).switchOff();
    QTRY_VERIFY(!recordings.isRecording(RecordSource::BothChannels));
    recordings.waitForFiles();
    QCOMPARE(logBodies(contents(file("both.log"))), expected);
}

void TestRecordings::appendOrReplace_data()
{
    QTest::addColumn<FileWriter::Existing>("existing");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("append") << FileWriter::Existing::Append << QByteArray("old\nnew");
    QTest::newRow("replace") << FileWriter::Existing::Replace << QByteArray("new");
}

void TestRecordings::appendOrReplace()
{
    QFETCH(FileWriter::Existing, existing);
    QFETCH(QByteArray, result);
    QFile old(file("old.bin"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old\n");
    old.close();
    CaptureSession session;
    session.setSignOnDefaults();
    PtyPair pty;
    switchOn2(session, pty);
    session.recordings().start(RecordSource::Channel2, RecordKind::Raw, file("old.bin"), existing);
    pty.write("new");
    QTRY_COMPARE(session.recordings().recording(RecordSource::Channel2)->fileSize(), result.size());
    session.recordings().stopAll();
    session.recordings().waitForFiles();
    QCOMPARE(contents(file("old.bin")), result);
}

void TestRecordings::writeErrorStopsThatRecordingOnly()
{
    CaptureSession session;
    session.setSignOnDefaults();
    PtyPair pty;
    switchOn2(session, pty);
    Recordings &recordings = session.recordings();
    QSignalSpy failed(&recordings, &Recordings::failed);
    recordings.start(RecordSource::Channel2, RecordKind::Raw, QStringLiteral("/dev/full"),
                     FileWriter::Existing::Append);
    recordings.start(RecordSource::BothChannels, RecordKind::Log, file("other.log"),
                     FileWriter::Existing::Replace);
    pty.write("one\n");
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("/dev/full"));
    QVERIFY2(failed.at(0).at(1).toString().contains(QLatin1String("No space left")),
             qPrintable(failed.at(0).at(1).toString()));
    QVERIFY(!recordings.isRecording(RecordSource::Channel2));
    // The channel, its pane and the other recording go on.
    pty.write("two\n");
    QTRY_COMPARE(session.channel(2).pane().text(), QByteArray("one\ntwo\n"));
    QVERIFY(session.channel(2).isOn());
    recordings.stopAll();
    recordings.waitForFiles();
    QCOMPARE(logBodies(contents(file("other.log"))), (QByteArrayList{"2< one\\n", "2< two\\n"}));
    QCOMPARE(failed.count(), 1);
}

void TestRecordings::logCutShortEndsWithAWholeEntry()
{
    // A file size limit plays a full disk partway through an entry.
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

    CaptureSession session;
    session.setSignOnDefaults();
    PtyPair pty;
    switchOn2(session, pty);
    QSignalSpy failed(&session.recordings(), &Recordings::failed);
    session.recordings().start(RecordSource::Channel2, RecordKind::Log, file("cut.log"),
                               FileWriter::Existing::Replace);
    const QByteArray line = QByteArray(50, 'x') + '\n';
    for (int i = 0; i < 40 && failed.isEmpty(); ++i) {
        pty.write(line);
        QTRY_COMPARE(session.channel(2).receivedCount(), (i + 1) * line.size());
    }
    QTRY_COMPARE(failed.count(), 1);
    session.recordings().waitForFiles();
    const QByteArray log = contents(file("cut.log"));
    QVERIFY2(log.size() > 0 && log.size() <= 1000 && log.endsWith('\n'), log.right(40).constData());
    for (const QByteArray &body : logBodies(log))
        QCOMPARE(body, "2< " + line.chopped(1) + "\\n");
}

void TestRecordings::slowDiskStopsTheRecording()
{
    // A named pipe nobody reads stands in for a disk that stopped.
    const QString pipe = file("stuck");
    QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    auto closeReader = qScopeGuard([reader] { ::close(reader); });

    CaptureSession session;
    session.setSignOnDefaults();
    PtyPair pty;
    switchOn2(session, pty);
    Recordings &recordings = session.recordings();
    recordings.setQueueLimit(1 << 20);
    QSignalSpy failed(&recordings, &Recordings::failed);
    recordings.start(RecordSource::Channel2, RecordKind::Raw, pipe, FileWriter::Existing::Append);
    const QByteArray sent = randomBytes(3 << 20, 5);
    for (qsizetype at = 0; at < sent.size() && failed.isEmpty(); at += 65536)
        pty.write(sent.mid(at, 65536));
    QTRY_COMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(1).toString().contains(QLatin1String("did not keep up")),
             qPrintable(failed.at(0).at(1).toString()));
    QVERIFY(!recordings.isRecording(RecordSource::Channel2));
    QVERIFY(session.channel(2).isOn());

    // Once the pipe is read, the writer hands over what it queued and ends.
    QByteArray drained;
    char buffer[65536];
    QDeadlineTimer deadline(20000);
    for (;;) {
        const ssize_t n = ::read(reader, buffer, sizeof buffer);
        if (n > 0)
            drained.append(buffer, n);
        else if (n == 0 || deadline.hasExpired())
            break; // 0: the writer has closed its end
        else
            QTest::qWait(5);
    }
    recordings.waitForFiles();
    QVERIFY(drained.size() > 0);
    QVERIFY(sent.startsWith(drained));
}

QTEST_GUILESS_MAIN(TestRecordings)
#include "tst_recordings.moc"
