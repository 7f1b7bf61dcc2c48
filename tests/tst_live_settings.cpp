// Serial settings changed while the port stays open, on pseudo-terminals:
// the kernel's termios2 (TCGETS2) is read back on each master.
#include "devices/capture_session.h"
#include "devices/setup_file.h"
#include "support/pty_pair.h"
#include "ui/channel_status.h"
#include "ui/serial_setup_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {

termios2 deviceSettings(const PtyPair &pty)
{
    termios2 settings{};
    ::ioctl(pty.masterFd(), TCGETS2, &settings);
    return settings;
}

// The descriptors this process holds on the device, the pair's own left out.
QList<int> portDescriptors(const PtyPair &pty)
{
    QList<int> found;
    for (const QFileInfo &fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System)) {
        if (fd.fileName().toInt() != pty.slaveFd() &&
            fd.symLinkTarget() == QFileInfo(pty.slavePath()).canonicalFilePath())
            found << fd.fileName().toInt();
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
    void eachChannelItsOwnSettings();
};

void TestLiveSettings::twoChannelsAtTwoSpeedsAtOnce()
{
    PtyPair first;
    PtyPair second;
    CaptureSession session;
    Channel &one = session.channel(1);
    Channel &two = session.channel(2);
    // Both start at the one setting Serial Setup gives, then each its own.
    one.switchOnSerial(first.slavePath(), QStringLiteral("9600,n,8,1"));
    two.switchOnSerial(second.slavePath(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(one.changeSettings(QStringLiteral("115200,n,8,1")), QString());
    QCOMPARE(two.changeSettings(QStringLiteral("250000,n,8,2")), QString());

    QCOMPARE(deviceSettings(first).c_cflag & CBAUD, tcflag_t(B115200));
    QCOMPARE(deviceSettings(second).c_ospeed, speed_t(250000));
    QVERIFY(deviceSettings(second).c_cflag & CSTOPB);
    const QString status = channelStatusText(two, session.recordings());
    QVERIFY2(status.contains(QStringLiteral(" 250000,n,8,2")), qPrintable(status));
    first.write("at 115200");
    second.write("at 250000");
    QTRY_VERIFY(one.pane().text() == "at 115200" && two.pane().text() == "at 250000");
}

void TestLiveSettings::liveChangeKeepsThePortOpenAndEveryByte()
{
    PtyPair pty;
    QTemporaryDir dir;
    CaptureSession session;
    Channel &channel = session.channel(2);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("9600,n,8,1"));
    const QString log = dir.filePath(QStringLiteral("changes.log"));
    QCOMPARE(session.recordings().start(RecordSource::channel(2), RecordKind::Log, log,
                                        FileWriter::Existing::Replace),
             QString());
    const QList<int> descriptors = portDescriptors(pty);
    QCOMPARE(descriptors.size(), 1);
    QSignalSpy switches(&channel, &Channel::onChanged);
    QByteArray received;
    connect(&channel, &Channel::batchReceived, this, [&](const QByteArray &b) { received += b; });

    // A writer keeps sending while the speed and framing change under it.
    QByteArray sent;
    QTimer writer;
    connect(&writer, &QTimer::timeout, this, [&] {
        const QByteArray piece = QByteArray::number(sent.size()).rightJustified(97, '.');
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
    QCOMPARE(deviceSettings(pty).c_ospeed, speed_t(9600));
    writer.stop();
    QTRY_COMPARE(received.size(), sent.size());
    QCOMPARE(received, sent);
    QCOMPARE(switches.count(), 0);

    session.recordings().stop(RecordSource::channel(2));
    session.recordings().waitForFiles();
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray notes = file.readAll();
    for (const QString &settings : changes)
        QVERIFY2(notes.contains("settings changed to " + settings.toLatin1()), notes.constData());
}

void TestLiveSettings::eachChannelItsOwnSettings()
{
    PtyPair first;
    PtyPair second;
    QTemporaryDir dir;
    const QString setup = dir.filePath(QStringLiteral("own.vterm"));
    QFile written(setup);
    QVERIFY(written.open(QIODevice::WriteOnly));
    written.write("[Channel2]\nSettings=\"250000,n,8,2\"\n[Serial]\nSettings=\"9600,n,8,1\"\n");
    written.close();
    CaptureSession session;
    QVERIFY(SetupFile::open(setup, session).clean());
    Channel &one = session.channel(1);
    Channel &two = session.channel(2);
    one.switchOnSerial(first.slavePath(), one.serialSettings());
    two.switchOnSerial(second.slavePath(), two.serialSettings());
    QCOMPARE(deviceSettings(second).c_ospeed, speed_t(250000));
    QCOMPARE(session.recordings().start(RecordSource::channel(2), RecordKind::Log,
                                        dir.filePath(QStringLiteral("two.log")),
                                        FileWriter::Existing::Replace),
             QString());
    second.write("kept");
    QTRY_COMPARE(two.pane().text(), QStringLiteral("kept"));

    // Serial Setup for Comm Port 1 alone: its open port changes in place.
    auto *dialog = new SerialSetupDialog(session);
    QSignalSpy reloads(dialog, &SerialSetupDialog::applied);
    auto *appliesTo = dialog->findChild<QComboBox *>(QStringLiteral("cboAppliesTo"));
    QVERIFY(appliesTo);
    appliesTo->setCurrentIndex(appliesTo->findText(QStringLiteral("Comm Port 2")));
    QCOMPARE(dialog->stopsText(), QStringLiteral("2")); // each choice shows its own
    appliesTo->setCurrentIndex(appliesTo->findText(QStringLiteral("Comm Port 1")));
    QCOMPARE(dialog->stopsText(), QStringLiteral("1"));
    dialog->findChild<SimpleComboBox *>(QStringLiteral("cboBaudSel"))
        ->setText(QStringLiteral("115200"));
    dialog->findChild<QPushButton *>(QStringLiteral("cmdClose"))->click();
    QCOMPARE(reloads.count(), 0);
    QCOMPARE(deviceSettings(first).c_cflag & CBAUD, tcflag_t(B115200));
    QVERIFY(one.isOn() && two.isOn());
    QCOMPARE(session.recordings().recordingsOf(two).size(), 1);
    QCOMPARE(deviceSettings(second).c_ospeed, speed_t(250000));
    first.write("at 115200");
    second.write(" at 250000");
    QTRY_VERIFY(one.pane().text() == "at 115200" && two.pane().text() == "kept at 250000");

    // Saved only where a channel's differ from the shared ones, and read back.
    one.setSerialSettings(session.serialSettings());
    QVERIFY(SetupFile::save(setup, session, nullptr));
    const QSettings saved(setup, QSettings::IniFormat);
    QVERIFY(!saved.contains(QStringLiteral("Channel1/Settings")));
    CaptureSession reopened;
    SetupFile::open(setup, reopened); // the ports chosen are empty: their keys are refused
    QCOMPARE(reopened.channel(2).serialSettings(), QStringLiteral("250000,n,8,2"));
    two.switchOff();
    QVERIFY(channelStatusText(two, session.recordings())
                .contains(QStringLiteral("Off (own settings 250000,n,8,2)")));
}

QTEST_MAIN(TestLiveSettings)
#include "tst_live_settings.moc"
