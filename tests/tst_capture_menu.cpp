// The Capture menu and the status line in the main window: their places,
// their wiring to the recordings, and what the operator sees.
#include "core/pane_text.h"
#include "devices/channel_status.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
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
class StandInDialogs : public CaptureFileDialogs
{
public:
    StandInDialogs(QString path, int filter, Existing answer)
        : m_path(std::move(path))
        , m_filter(filter)
        , m_answer(answer)
    {}
    std::optional<Choice> chooseFile(QWidget *, const QString &, const QStringList &filters,
                                     bool) override
    {
        offered = filters;
        return Choice{m_path, m_filter};
    }
    Existing askExisting(QWidget *, const QString &) override
    {
        ++asked;
        return m_answer;
    }
    QStringList offered;
    int asked = 0;

private:
    QString m_path;
    int m_filter;
    Existing m_answer;
};

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestCaptureMenu : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void menuSitsBetweenSetupAndHelp();
    void recordIsCheckedUntilTheChannelGoesOff();
    void existingFileAsksAppendReplaceOrCancel_data();
    void existingFileAsksAppendReplaceOrCancel();
    void writeErrorIsReportedWithTheFileName();
    void reloadStopsEveryRecording();
    void savePaneWritesItsTextByteForByte();
    void statusLineAddsToTheWindow();
    void statusLineShowsStateCountsAndFile();

private:
    StandInDialogs *
    answer(DisplayFixture &f, const QString &path, int filter = 0,
           CaptureFileDialogs::Existing existing = CaptureFileDialogs::Existing::Replace)
    {
        auto dialogs = std::make_unique<StandInDialogs>(path, filter, existing);
        StandInDialogs *raw = dialogs.get();
        f.window->captureMenu()->setDialogs(std::move(dialogs));
        return raw;
    }
    QAction *action(DisplayFixture &f, const char *name)
    {
        return f.window->findChild<QAction *>(QLatin1String(name));
    }
    void switchOn2(DisplayFixture &f, PtyPair &pty)
    {
        f.channel(2).cmbPort->setEditText(pty.slavePath());
        f.switchOn(2);
        QVERIFY(f.isOn(2));
    }

    QTemporaryDir m_dir;
};

void TestCaptureMenu::menuSitsBetweenSetupAndHelp()
{
    DisplayFixture f;
    QStringList titles;
    for (const QAction *menu : f.window->menuBar()->actions())
        titles << menu->text();
    QCOMPARE(titles, (QStringList{"&File", "&Setup", "&Capture", "&Help"}));
    QStringList entries;
    for (const QAction *entry : f.window->captureMenu()->menu()->actions())
        entries << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    QCOMPARE(entries,
             (QStringList{"Record Comm Port &1...", "Record Comm Port &2...",
                          "Record &Both to One Log...", "S&top All Recording", "-",
                          "Save Comm Port 1 Pane &As...", "Save Comm Port 2 Pane &As..."}));
    QVERIFY(!action(f, "mnuCaptureStopAll")->isEnabled());
}

void TestCaptureMenu::recordIsCheckedUntilTheChannelGoesOff()
{
    DisplayFixture f;
    PtyPair pty;
    const QString path = m_dir.filePath(QStringLiteral("shown.txt"));
    StandInDialogs *dialogs = answer(f, path, 1); // "Text as shown"
    QAction *record = action(f, "mnuCaptureRecord2");
    record->trigger();
    QCOMPARE(dialogs->offered.size(), 3);
    QVERIFY(record->isChecked());
    QVERIFY(action(f, "mnuCaptureStopAll")->isEnabled());

    switchOn2(f, pty);
    f.channel(2).optHex->click();
    pty.write("AB");
    QTRY_COMPARE(f.paneText(2), QByteArray(" 41 42"));
    f.switchOff(2);
    QTRY_VERIFY(!record->isChecked());
    QVERIFY(!action(f, "mnuCaptureStopAll")->isEnabled());
    f.session.recordings().waitForFiles();
    QCOMPARE(contents(path), QByteArray(" 41 42"));

    // Chosen again while running, it stops.
    record->trigger();
    QVERIFY(record->isChecked());
    record->trigger();
    QVERIFY(!record->isChecked());
    QVERIFY(!f.session.recordings().isAnyRecording());
}

void TestCaptureMenu::existingFileAsksAppendReplaceOrCancel_data()
{
    QTest::addColumn<CaptureFileDialogs::Existing>("answer");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("append") << CaptureFileDialogs::Existing::Append << true
                            << QByteArray("old\nnew");
    QTest::newRow("replace") << CaptureFileDialogs::Existing::Replace << true << QByteArray("new");
    QTest::newRow("cancel") << CaptureFileDialogs::Existing::Cancel << false << QByteArray("old\n");
}

void TestCaptureMenu::existingFileAsksAppendReplaceOrCancel()
{
    QFETCH(CaptureFileDialogs::Existing, answer);
    QFETCH(bool, recording);
    QFETCH(QByteArray, result);
    const QString path = m_dir.filePath(QStringLiteral("existing.bin"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
    old.write("old\n");
    old.close();

    DisplayFixture f;
    PtyPair pty;
    switchOn2(f, pty);
    StandInDialogs *dialogs = this->answer(f, path, 0, answer);
    action(f, "mnuCaptureRecord2")->trigger();
    QCOMPARE(dialogs->asked, 1);
    QCOMPARE(action(f, "mnuCaptureRecord2")->isChecked(), recording);
    pty.write("new");
    QTRY_COMPARE(f.paneText(2), QByteArray("new"));
    action(f, "mnuCaptureStopAll")->trigger();
    QVERIFY(!action(f, "mnuCaptureRecord2")->isChecked());
    f.session.recordings().waitForFiles();
    QCOMPARE(contents(path), result);
}

void TestCaptureMenu::writeErrorIsReportedWithTheFileName()
{
    DisplayFixture f;
    PtyPair pty;
    switchOn2(f, pty);
    answer(f, QStringLiteral("/dev/full"), 0, CaptureFileDialogs::Existing::Append);
    action(f, "mnuCaptureRecord2")->trigger();
    pty.write("kept");
    // The message comes with the stop.
    QTRY_VERIFY(!action(f, "mnuCaptureRecord2")->isChecked());
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QLatin1String("/dev/full")) &&
                 messages.first().contains(QLatin1String("No space left on device")),
             qPrintable(messages.first()));
    QCOMPARE(f.paneText(2), QByteArray("kept"));
    QVERIFY(f.isOn(2));
}

void TestCaptureMenu::reloadStopsEveryRecording()
{
    DisplayFixture f;
    const QString path = m_dir.filePath(QStringLiteral("both.log"));
    answer(f, path);
    QAction *both = action(f, "mnuCaptureRecordBoth");
    both->trigger();
    QVERIFY(both->isChecked());
    f.window->reload(); // as the serial settings' Apply does
    QVERIFY(!both->isChecked());
    QVERIFY(!f.session.recordings().isAnyRecording());
    f.session.recordings().waitForFiles();
    QVERIFY(QFile::exists(path));
}

void TestCaptureMenu::savePaneWritesItsTextByteForByte()
{
    DisplayFixture f;
    const QByteArray text("caf\xe9\r\n\x01\xff end", 12);
    f.state(1).pane().setText(text);
    const QString path = m_dir.filePath(QStringLiteral("pane.txt"));
    StandInDialogs *dialogs = answer(f, path);
    action(f, "mnuCaptureSave1")->trigger();
    QCOMPARE(dialogs->asked, 0); // the file dialog asks before replacing
    QCOMPARE(contents(path), text);
}

void TestCaptureMenu::statusLineAddsToTheWindow()
{
    DisplayFixture f;
    QCOMPARE(f.controls().size(), QSize(635, 515));
    QStatusBar *line = f.window->statusBar();
    QCOMPARE(line, f.window->statusLine());
    QVERIFY(line->isVisible());
    QCOMPARE(f.controls().y(), f.window->menuBar()->height());
    QCOMPARE(line->y(), f.controls().geometry().bottom() + 1);
    QCOMPARE(f.window->height(), f.window->menuBar()->height() + 515 + line->height());
    QCOMPARE(f.window->width(), 635);
}

void TestCaptureMenu::statusLineShowsStateCountsAndFile()
{
    DisplayFixture f;
    ChannelStatusBar &line = *f.window->statusLine();
    QCOMPARE(line.fullText(1), QStringLiteral("Comm Port 1: Off  RX 0  TX 0"));

    PtyPair pty;
    switchOn2(f, pty);
    const QString path = m_dir.filePath(QStringLiteral("counted.bin"));
    answer(f, path);
    action(f, "mnuCaptureRecord2")->trigger();
    pty.write(QByteArray(1500, 'x'));
    f.type(2, QStringLiteral("hi"));
    QCOMPARE(pty.read(2), QByteArray("hi"));
    QTRY_COMPARE(
        line.fullText(2),
        QStringLiteral("Comm Port 2: %1 9600,n,8,1  RX 1,500  TX 2  \u25cf counted.bin 1.5 kB")
            .arg(pty.slavePath()));
    QVERIFY(line.part(2)->toolTip().contains(path));

    TcpPeer peer;
    f.switchOnTcp(peer.port());
    line.refresh(); // before the event loop has made the connection
    const QString tcp = QStringLiteral("Comm Port 1: TCP 127.0.0.1:%1").arg(peer.port());
    QCOMPARE(line.fullText(1), tcp + QStringLiteral(" connecting...  RX 0  TX 0"));
    QVERIFY(peer.waitForClient());
    peer.send("abc");
    QTRY_COMPARE(line.fullText(1), tcp + QStringLiteral("  RX 3  TX 0"));
    action(f, "mnuCaptureStopAll")->trigger();
}

QTEST_MAIN(TestCaptureMenu)
#include "tst_capture_menu.moc"
