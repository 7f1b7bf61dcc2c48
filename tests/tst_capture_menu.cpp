// The Capture menu and the status line in the main window: their places,
// their wiring to the recordings, and what the operator sees.
#include "app/program_start.h"
#include "core/pane/pane_text.h"
#include "support/byte_checks.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/capture_file_dialogs.h"
#include "ui/capture_menu.h"
#include "ui/channel_status_bar.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Answers the menu's questions in place of the modal dialogs.
struct StandInDialogs : CaptureFileDialogs
{
    QString path;
    int filter = 0;
    Existing answer = Existing::Replace;
    int asked = 0;

    std::optional<Choice> chooseFile(QWidget *, const QString &, const QStringList &, bool) override
    {
        return Choice{path, filter};
    }
    Existing askExisting(QWidget *, const QString &) override
    {
        ++asked;
        return answer;
    }
};

// A shown main window whose Capture menu asks the stand-in.
struct CaptureFixture : DisplayFixture
{
    StandInDialogs *dialogs = new StandInDialogs;
    PtyPair pty;

    CaptureFixture(const QString &path, int filter = 0)
    {
        dialogs->path = path;
        dialogs->filter = filter;
        window->captureMenu()->setDialogs(std::unique_ptr<CaptureFileDialogs>(dialogs));
    }
    QAction *action(const char *name) const
    {
        return window->findChild<QAction *>(QLatin1String(name));
    }
    void switchOn2()
    {
        channel(2).widgets().cmbPort->setEditText(pty.slavePath());
        switchOn(2);
    }
};

} // namespace

class TestCaptureMenu : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void menuSitsBetweenSetupAndHelp();
    void recordIsCheckedWhileItRuns();
    void existingFileAsksAppendReplaceOrCancel_data();
    void existingFileAsksAppendReplaceOrCancel();
    void writeErrorIsReportedWithTheFileName();
    void reloadStopsEveryRecording();
    void savePaneWritesItsTextByteForByte();
    void statusLineShowsStateCountsAndFile();
    void deviceNamesKeepNoAddedSuffix_data();
    void deviceNamesKeepNoAddedSuffix();
    void commandLineRecordingsRunInTheWindow();

private:
    QString file(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
};

void TestCaptureMenu::menuSitsBetweenSetupAndHelp()
{
    DisplayFixture f;
    QStringList titles;
    for (const QAction *menu : f.window->menuBar()->actions())
        titles << menu->text();
    QCOMPARE(titles, (QStringList{"&File", "&Setup", "&Capture", "&Link", "&View", "&Help"}));
    QStringList entries;
    for (const QAction *entry : f.window->captureMenu()->menu()->actions())
        entries << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    QCOMPARE(entries, (QStringList{"Record Comm Port &1...", "Record Comm Port &2...",
                                   "Record &Both to One Log...", "S&top All Recording", "-",
                                   "&Save Comm Port 1 Pane As...", "Save Comm Port 2 Pane &As...",
                                   "-", "&Publish to MQTT..."}));
}

void TestCaptureMenu::recordIsCheckedWhileItRuns()
{
    // "Raw bytes" chosen, but a typed suffix decides: the text as shown.
    CaptureFixture f(file("shown.txt"), 0);
    QAction *record = f.action("mnuCaptureRecord2");
    QVERIFY(!f.action("mnuCaptureStopAll")->isEnabled());
    record->trigger();
    QVERIFY(record->isChecked());
    QVERIFY(f.action("mnuCaptureStopAll")->isEnabled());
    f.switchOn2();
    f.channel(2).widgets().optHex->click();
    f.pty.write("AB");
    QTRY_COMPARE(f.paneText(2), QByteArray(" 41 42"));
    f.switchOff(2); // stops the recording
    QTRY_VERIFY(!record->isChecked());
    QVERIFY(!f.action("mnuCaptureStopAll")->isEnabled());
    f.session.recordings().waitForFiles();
    QCOMPARE(fileBytes(file("shown.txt")), QByteArray(" 41 42"));
    // Chosen while it runs, it stops.
    record->trigger();
    QVERIFY(record->isChecked());
    record->trigger();
    QVERIFY(!record->isChecked());
    QVERIFY(!f.session.recordings().isAnyRecording());
}

void TestCaptureMenu::existingFileAsksAppendReplaceOrCancel_data()
{
    QTest::addColumn<CaptureFileDialogs::Existing>("answer");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("append") << CaptureFileDialogs::Existing::Append << QByteArray("old\nnew");
    QTest::newRow("replace") << CaptureFileDialogs::Existing::Replace << QByteArray("new");
    QTest::newRow("cancel") << CaptureFileDialogs::Existing::Cancel << QByteArray("old\n");
}

void TestCaptureMenu::existingFileAsksAppendReplaceOrCancel()
{
    QFETCH(CaptureFileDialogs::Existing, answer);
    QFETCH(QByteArray, result);
    QFile old(file("existing.bin"));
    QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
    old.write("old\n");
    old.close();
    CaptureFixture f(old.fileName());
    f.dialogs->answer = answer;
    f.switchOn2();
    f.action("mnuCaptureRecord2")->trigger();
    QCOMPARE(f.dialogs->asked, 1);
    QCOMPARE(f.action("mnuCaptureRecord2")->isChecked(),
             answer != CaptureFileDialogs::Existing::Cancel);
    f.pty.write("new");
    QTRY_COMPARE(f.paneText(2), QByteArray("new"));
    f.action("mnuCaptureStopAll")->trigger();
    QVERIFY(!f.action("mnuCaptureRecord2")->isChecked());
    f.session.recordings().waitForFiles();
    QCOMPARE(fileBytes(old.fileName()), result);
}

void TestCaptureMenu::writeErrorIsReportedWithTheFileName()
{
    CaptureFixture f(file("other.log"));
    f.action("mnuCaptureRecordBoth")->trigger();
    f.dialogs->path = QStringLiteral("/dev/full");
    f.dialogs->answer = CaptureFileDialogs::Existing::Append;
    f.switchOn2();
    f.action("mnuCaptureRecord2")->trigger();
    f.pty.write("kept\n");
    QTRY_VERIFY(!f.action("mnuCaptureRecord2")->isChecked());
    // The message comes with the stop.
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QLatin1String("/dev/full")) &&
                 messages.first().contains(QLatin1String("No space left on device")),
             qPrintable(messages.first()));
    // The channel, its pane and the other recording go on.
    QVERIFY(f.isOn(2));
    f.pty.write("more\n");
    QTRY_COMPARE(f.paneText(2), QByteArray("kept\nmore\n"));
    QVERIFY(f.action("mnuCaptureRecordBoth")->isChecked());
    f.action("mnuCaptureStopAll")->trigger();
    f.session.recordings().waitForFiles();
    QCOMPARE(fileBytes(file("other.log")).count("2< "), 2);
}

void TestCaptureMenu::reloadStopsEveryRecording()
{
    CaptureFixture f(file("both.log"));
    QAction *both = f.action("mnuCaptureRecordBoth");
    both->trigger();
    QVERIFY(both->isChecked());
    f.window->reload(); // as the serial settings' Apply does
    QVERIFY(!both->isChecked());
    QVERIFY(!f.session.recordings().isAnyRecording());
    f.session.recordings().waitForFiles();
    QVERIFY(fileBytes(file("both.log")).contains("switched off: the serial settings were applied"));
}

void TestCaptureMenu::savePaneWritesItsTextByteForByte()
{
    CaptureFixture f(file("pane.txt"));
    const QByteArray text("caf\xe9\r\n\x01\xff end", 12);
    f.state(1).pane().setText(text);
    f.action("mnuCaptureSave1")->trigger();
    QCOMPARE(f.dialogs->asked, 0); // the file dialog itself asks before replacing
    QCOMPARE(fileBytes(file("pane.txt")), text);
}

void TestCaptureMenu::statusLineShowsStateCountsAndFile()
{
    CaptureFixture f(file("counted.bin"));
    // The line adds to the window; the channel groups keep their design size.
    QStatusBar *bar = f.window->statusBar();
    QCOMPARE(f.controls().size(), QSize(635, 515));
    QCOMPARE(bar->y(), f.controls().geometry().bottom() + 1);
    QCOMPARE(f.window->height(), f.window->menuBar()->height() + 515 + bar->height());
    ChannelStatusBar &line = *f.window->statusLine();
    QCOMPARE(line.fullText(1), QStringLiteral("Comm Port 1: Off  RX 0  TX 0"));

    f.switchOn2();
    f.action("mnuCaptureRecord2")->trigger();
    f.pty.write(QByteArray(1500, 'x'));
    f.type(2, QStringLiteral("hi"));
    QCOMPARE(f.pty.read(2), QByteArray("hi"));
    QTRY_COMPARE(line.fullText(2),
                 QStringLiteral("Comm Port 2: %1 9600,n,8,1  no control lines  RX 1,500  TX 2  "
                                "\u25cf counted.bin "
                                "1.5 kB")
                     .arg(f.pty.slavePath()));
    QVERIFY(line.part(2)->toolTip().contains(file("counted.bin")));

    TcpPeer peer;
    f.switchOnTcp(peer.port());
    line.refresh(); // before the event loop has made the connection
    const QString tcp = QStringLiteral("Comm Port 1: TCP 127.0.0.1:%1").arg(peer.port());
    QCOMPARE(line.fullText(1), tcp + QStringLiteral(" connecting...  RX 0  TX 0"));
    QVERIFY(peer.waitForClient());
    peer.send("abc");
    QTRY_COMPARE(line.fullText(1), tcp + QStringLiteral("  RX 3  TX 0"));
}

// Each row: what the file dialog made of a typed name, and the file meant.
void TestCaptureMenu::deviceNamesKeepNoAddedSuffix_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("meant");
    const QString file = m_dir.filePath(QStringLiteral("capture"));
    QTest::newRow("a device") << QStringLiteral("/dev/full.bin") << QStringLiteral("/dev/full");
    QTest::newRow("a new file") << file + QStringLiteral(".bin") << file + QStringLiteral(".bin");
    QTest::newRow("a folder") << m_dir.path() + QStringLiteral(".bin")
                              << m_dir.path() + QStringLiteral(".bin");
}

void TestCaptureMenu::deviceNamesKeepNoAddedSuffix()
{
    QFETCH(QString, chosen);
    QFETCH(QString, meant);
    QCOMPARE(withoutSuffixAddedToDevice(chosen, QStringLiteral("bin")), meant);
}

// --record without --headless: the same recordings, ticked in the menu.
void TestCaptureMenu::commandLineRecordingsRunInTheWindow()
{
    ProgramStart program;
    program.setRecords({"raw2:" + file("two.bin"), "log:" + file("both.log")});
    program.start();
    program.signOn()->timer().start(1);
    QTRY_VERIFY_WITH_TIMEOUT(program.display() && program.display()->isVisible(), 10000);
    for (const char *entry : {"mnuCaptureRecord2", "mnuCaptureRecordBoth"})
        QVERIFY(program.display()->findChild<QAction *>(QLatin1String(entry))->isChecked());
}

QTEST_MAIN(TestCaptureMenu)
#include "tst_capture_menu.moc"
