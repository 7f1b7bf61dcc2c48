// A recording program killed with SIGKILL keeps everything that arrived
// more than 200 ms before the kill, in its raw file and in its log.
#include "support/byte_checks.h"
#include "support/pty_pair.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The bytes a Hex log holds: each line is a timestamp, "2<", then pairs.
// The kill may cut the last pair in half: half a byte is none.
QByteArray bytesOfHexLog(const QByteArray &log)
{
    QByteArray bytes;
    for (const QByteArray &line : log.split('\n'))
        for (const QByteArray &pair : line.mid(24 + 3).split(' '))
            if (pair.size() == 2)
                bytes += QByteArray::fromHex(pair);
    return bytes;
}

} // namespace

class TestRecordingKilled : public QObject
{
    Q_OBJECT

private slots:
    void killedProgramKeepsAllButTheLast200Ms();
};

void TestRecordingKilled::killedProgramKeepsAllButTheLast200Ms()
{
    PtyPair pty;
    QTemporaryDir dir;
    const QString raw = dir.filePath(QStringLiteral("killed.bin"));
    const QString log = dir.filePath(QStringLiteral("killed.log"));
    QProcess child;
    child.start(qEnvironmentVariable("VARNOK_TEST_BINARY_DIR") +
                    QStringLiteral("/tests/helpers/varnok-record-child"),
                {pty.slavePath(), raw, log});
    QVERIFY(child.waitForReadyRead(10000));
    QCOMPARE(child.readLine(), QByteArray("ready\n"));

    // Older data, ending mid-line so the log's 100 ms piece rule is needed.
    QByteArray older = randomBytes(256 * 1024, 200);
    older.back() = 'x';
    const QByteArray newer = randomBytes(64 * 1024, 201);
    pty.write(older);
    qint64 reported = 0;
    while (reported < older.size() && child.waitForReadyRead(10000))
        while (child.canReadLine())
            reported = child.readLine().trimmed().toLongLong();
    QCOMPARE(reported, older.size());
    QTest::qWait(200); // from here on, `older` arrived more than 200 ms ago
    pty.write(newer);
    child.kill();
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    const QByteArray all = older + newer;
    for (const QByteArray &kept : {fileBytes(raw), bytesOfHexLog(fileBytes(log))}) {
        QVERIFY2(kept.size() >= older.size(),
                 qPrintable(QStringLiteral("%1 of %2 bytes").arg(kept.size()).arg(older.size())));
        QVERIFY2(all.startsWith(kept), differenceOf(kept, all.left(kept.size())).constData());
    }
}

QTEST_GUILESS_MAIN(TestRecordingKilled)
#include "tst_recording_killed.moc"
