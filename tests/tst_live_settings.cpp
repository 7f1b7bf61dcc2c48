// Serial settings changed while the port stays open, on pseudo-terminals:
// what the kernel keeps is read back on each master.
#include "devices/capture_session.h"
#include "devices/channel_status.h"
#include "support/pty_pair.h"
#include "support/terminal_speed.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <termios.h>

namespace {

// The descriptors this process holds on the pair's device, its own slave
// end left out: the serial port's.
QList<int> portDescriptors(const PtyPair &pty)
{
    const QString device = QFileInfo(pty.slavePath()).canonicalFilePath();
    QList<int> found;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo &entry : fds.entryInfoList(QDir::AllEntries | QDir::System)) {
        const int fd = entry.fileName().toInt();
        if (fd != pty.slaveFd() && entry.symLinkTarget() == device)
            found << fd;
    }
    return found;
}

} // namespace

class TestLiveSettings : public QObject
{
    Q_OBJECT

private slots:
    void twoChannelsAtTwoSpeedsAtOnce();
    void liveChangeKeepsThePortOpenAndEveryByte();
};

void TestLiveSettings::twoChannelsAtTwoSpeedsAtOnce()
{
    PtyPair first;
    PtyPair second;
    CaptureSession session;
    Channel &one = session.channel(1);
    Channel &two = session.channel(2);
    // Both start at the one setting the window's Serial Setup gives.
    const QString shared = QStringLiteral("9600,n,8,1");
    one.switchOnSerial(first.slavePath(), shared);
    two.switchOnSerial(second.slavePath(), shared);
    QVERIFY(one.isOn() && two.isOn());

    QCOMPARE(one.changeSettings(QStringLiteral("115200,n,8,1")), QString());
    QCOMPARE(two.changeSettings(QStringLiteral("250000,n,8,2")), QString());

    termios standard{};
    QCOMPARE(tcgetattr(first.masterFd(), &standard), 0);
    QCOMPARE(cfgetospeed(&standard), speed_t(B115200));
    QCOMPARE(terminalSpeed(second.masterFd()), 250000L);
    termios custom{};
    QCOMPARE(tcgetattr(second.masterFd(), &custom), 0);
    QVERIFY(custom.c_cflag & CSTOPB);
    const QString status = channelStatusText(two, session.recordings());
    QVERIFY2(status.contains(QStringLiteral(" 250000,n,8,2")), qPrintable(status));

    first.write("at 115200");
    second.write("at 250000");
    QTRY_COMPARE(one.pane().text(), QByteArray("at 115200"));
    QTRY_COMPARE(two.pane().text(), QByteArray("at 250000"));
}

void TestLiveSettings::liveChangeKeepsThePortOpenAndEveryByte()
{
    PtyPair pty;
    QTemporaryDir dir;
    CaptureSession session;
    Channel &channel = session.channel(2);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("9600,n,8,1"));
    QVERIFY(channel.isOn());
    const QString log = dir.filePath(QStringLiteral("changes.log"));
    QCOMPARE(session.recordings().start(RecordSource::channel(2), RecordKind::Log, log,
                                        FileWriter::Existing::Replace),
             QString());
    const QList<int> descriptors = portDescriptors(pty);
    QCOMPARE(descriptors.size(), 1);
    QSignalSpy switches(&channel, &Channel::onChanged);
    QByteArray received;
    connect(&channel, &Channel::batchReceived, this,
            [&received](const QByteArray &batch) { received += batch; });

    // A writer keeps sending while the speed and framing change under it.
    QByteArray sent;
    QTimer writer;
    connect(&writer, &QTimer::timeout, this, [&] {
        QByteArray piece;
        for (int i = 0; i < 97; ++i)
            piece.append(char((sent.size() + i) % 251));
        pty.write(piece);
        sent += piece;
    });
    writer.start(1);
    const QStringList changes{"57600,n,8,2", "230400,n,8,1", "1000000,n,8,1", "9600,n,8,1"};
    for (const QString &settings : changes) {
        QTest::qWait(50);
        QCOMPARE(channel.changeSettings(settings), QString());
        QCOMPARE(portDescriptors(pty), descriptors);
    }
    QCOMPARE(terminalSpeed(pty.masterFd()), 9600L);
    writer.stop();
    QTRY_COMPARE(received.size(), sent.size());
    QCOMPARE(received, sent);
    QCOMPARE(channel.receivedCount(), sent.size());
    QCOMPARE(switches.count(), 0);

    session.recordings().stop(RecordSource::channel(2));
    session.recordings().waitForFiles();
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray notes = file.readAll();
    for (const QString &settings : changes)
        QVERIFY2(notes.contains("settings changed to " + settings.toLatin1()), notes.constData());
}

QTEST_MAIN(TestLiveSettings)
#include "tst_live_settings.moc"
