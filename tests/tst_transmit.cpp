#include "core/pane/pane_text.h"
#include "devices/transmit_queue.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/transmit_edit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// Channel 2 (or 1) switched on to a pty standing in for the device.
struct SerialBench
{
    PtyPair pty;
    DisplayFixture f;
    int n;

    explicit SerialBench(int number = 2)
        : n(number)
    {
        f.channel(n).widgets().cmbPort->setEditText(pty.slavePath());
        f.switchOn(n);
    }
    ChannelGroup &c() { return f.channel(n); }
};

} // namespace

class TestTransmit : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void eachKeyGoesOutAtOnce();
    void lineModeResendsEarlierLines();
    void lineEndingOnTheWire_data();
    void lineEndingOnTheWire();
    void backspaceKeepsTyposOffTheWire();
    void recalledLineGoesOutAsTyped();
    void pasteCountsAsTyped();
    void inputMethodCommitsCountAsTyped();
    void pastePastTheQueueLimitIsReported();
    void hexEntry_data();
    void hexEntry();
    void repeatSendsTheChosenRecord();
    void repeatAfterReloadSendsTheOldRecord();
    void clearsAreIndependent();
    void tcpRouteIsKeptAfterEditingThePortList();
    void channel2NeverUsesTheSocket();
    void typingWhileConnectingIsQueued();
    void tcpReceiveInEveryModeAndFormat_data();
    void tcpReceiveInEveryModeAndFormat();
};

void TestTransmit::eachKeyGoesOutAtOnce()
{
    SerialBench b;
    QVERIFY(b.f.isOn(2));
    b.f.type(2, QStringLiteral("ab"));
    QCOMPARE(b.pty.read(2), QByteArray("ab"));
    b.f.pressEnter(2);
    QCOMPARE(b.pty.read(1), QByteArray("\r")); // never a line feed
    QTest::keyClick(b.c().widgets().txtSend, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(b.pty.read(1), QByteArray("\x03"));
    // Ctrl+Q is XON here, though File > Exit has the same keys.
    QTest::keyClick(b.c().widgets().txtSend, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(b.pty.read(1), QByteArray("\x11"));
    QCOMPARE(b.pty.readFor(50), QByteArray());
    // The keys also reach the pane, unchanged.
    QCOMPARE(b.c().widgets().txtSend->toPlainText(), QStringLiteral("ab\n"));
}

void TestTransmit::lineModeResendsEarlierLines()
{
    SerialBench b(1);
    b.c().widgets().optCR->click();
    b.f.type(1, QStringLiteral("12"));
    QCOMPARE(b.pty.readFor(50), QByteArray());
    b.f.pressEnter(1);
    QCOMPARE(b.pty.read(3), QByteArray("12\r"));
    b.f.type(1, QStringLiteral("3"));
    b.f.pressEnter(1);
    QCOMPARE(b.pty.read(5), QByteArray("12\r3\r"));
}

// The ending is chosen in the Setup menu; each row types two lines into
// channel 2 and reads the device's side.
void TestTransmit::lineEndingOnTheWire_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("lineMode");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("CR, per key") << "mnuEnding2CR" << false << QByteArray("ab\rc\r");
    QTest::newRow("LF, per key") << "mnuEnding2LF" << false << QByteArray("ab\nc\n");
    QTest::newRow("CR LF, per key") << "mnuEnding2CRLF" << false << QByteArray("ab\r\nc\r\n");
    QTest::newRow("nothing, per key") << "mnuEnding2None" << false << QByteArray("abc");
    QTest::newRow("CR, by line") << "mnuEnding2CR" << true << QByteArray("ab\rab\rc\r");
    QTest::newRow("LF, by line") << "mnuEnding2LF" << true << QByteArray("ab\nab\nc\n");
    QTest::newRow("CR LF, by line") << "mnuEnding2CRLF" << true << QByteArray("ab\r\nab\r\nc\r\n");
    QTest::newRow("nothing, by line") << "mnuEnding2None" << true << QByteArray("ababc");
}

void TestTransmit::lineEndingOnTheWire()
{
    QFETCH(QString, entry);
    QFETCH(bool, lineMode);
    QFETCH(QByteArray, wire);
    SerialBench b;
    auto *action = b.f.window->findChild<QAction *>(entry);
    QVERIFY(action);
    action->trigger();
    if (lineMode)
        b.c().widgets().optCR->click();
    b.f.type(2, QStringLiteral("ab"));
    b.f.pressEnter(2);
    b.f.type(2, QStringLiteral("c"));
    b.f.pressEnter(2);
    QCOMPARE(b.pty.read(wire.size()), wire);
    QCOMPARE(b.pty.readFor(50), QByteArray());
    // The choice is the channel's alone, and the menu shows it.
    QCOMPARE(b.f.session.channel(1).module().lineEnding, LineEnding::Cr);
    auto *menu = b.f.window->findChild<QMenu *>(QStringLiteral("mnuEnding2"));
    emit menu->aboutToShow();
    QVERIFY(action->isChecked());
}

void TestTransmit::backspaceKeepsTyposOffTheWire()
{
    SerialBench b;
    b.c().widgets().optCR->click();
    b.f.type(2, QStringLiteral("XY"));
    QTest::keyClick(b.c().widgets().txtSend, Qt::Key_Backspace);
    b.f.type(2, QStringLiteral("Z"));
    b.f.pressEnter(2);
    QCOMPARE(b.pty.read(3), QByteArray("XZ\r"));
    b.c().widgets().cmdRepeat->click();
    QCOMPARE(b.pty.read(3), QByteArray("XZ\r"));
    QCOMPARE(b.pty.readFor(50), QByteArray());
}

// Up puts the sent line in place of the one being typed, in the transmit
// record too: Enter sends what the line shows.
void TestTransmit::recalledLineGoesOutAsTyped()
{
    SerialBench b;
    b.c().widgets().optCR->click();
    b.f.type(2, QStringLiteral("ls"));
    b.f.pressEnter(2);
    QCOMPARE(b.pty.read(3), QByteArray("ls\r"));
    b.f.type(2, QStringLiteral("pw"));
    QTest::keyClick(b.c().widgets().txtSend, Qt::Key_Up);
    b.f.pressEnter(2);
    QCOMPARE(b.pty.read(6), QByteArray("ls\rls\r"));
    QCOMPARE(b.c().widgets().txtSend->toPlainText(), QStringLiteral("ls\nls\n"));
}

void TestTransmit::pasteCountsAsTyped()
{
    SerialBench b;
    QApplication::clipboard()->setText(QStringLiteral("pa\nste"));
    b.c().widgets().txtSend->paste();
    QCOMPARE(b.pty.read(6), QByteArray("pa\rste"));
    QCOMPARE(b.f.session.channel(2).modes().strSend, QByteArray("pa\rste"));
}

void TestTransmit::inputMethodCommitsCountAsTyped()
{
    SerialBench b;
    // A dead key's accent waits in the line, and sends nothing yet...
    QInputMethodEvent waiting(QStringLiteral("^"), {});
    QApplication::sendEvent(b.c().widgets().txtSend, &waiting);
    QVERIFY(b.pty.readFor(100).isEmpty());
    // ... until the composed characters are committed.
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u00ea\u20ac"));
    QApplication::sendEvent(b.c().widgets().txtSend, &composed);
    QCOMPARE(b.pty.read(2), QByteArray("\xea?"));
    QCOMPARE(b.f.session.channel(2).modes().strSend, QByteArray("\xea?"));
}

void TestTransmit::pastePastTheQueueLimitIsReported()
{
    SerialBench b;
    b.f.state(2).link().queue().setLimit(0);
    b.c().widgets().optCR->click();
    // Nothing may wait: only the first line fits the device's share.
    const QString line(30000, QLatin1Char('x'));
    QApplication::clipboard()->setText(line + '\n' + line + '\n' + line + '\n');
    b.c().widgets().txtSend->paste();

    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QLatin1String("Comm Port 2: ")) &&
                 messages.first().contains(QLocale().toString(60002 + 90003)),
             qPrintable(messages.first()));
    QCOMPARE(b.pty.read(30001), QByteArray(30000, 'x') + '\r');
    QVERIFY(b.pty.readFor(200).isEmpty());
}

void TestTransmit::hexEntry_data()
{
    QTest::addColumn<bool>("lineMode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("bytes");
    const QList<std::pair<const char *, const char *>> examples = {
        {"41 42 43", "ABC"}, {"41  42", "AB"}, {"4a 4B", "JK"}, {"414243", "ABC"}, {"41:42", "AB"}};
    for (bool lineMode : {false, true})
        for (const auto &[typed, bytes] : examples)
            QTest::addRow("%s \"%s\"", lineMode ? "line" : "real time", typed)
                << lineMode << QString::fromLatin1(typed) << QByteArray(bytes);
}

void TestTransmit::hexEntry()
{
    QFETCH(bool, lineMode);
    QFETCH(QString, typed);
    QFETCH(QByteArray, bytes);
    SerialBench b;
    if (lineMode)
        b.c().widgets().optCR->click();
    b.c().widgets().chkHex->setChecked(true);
    b.f.type(2, typed);
    b.f.pressEnter(2);
    QCOMPARE(b.pty.read(bytes.size()), bytes);
    QCOMPARE(b.pty.readFor(50), QByteArray());
    QCOMPARE(b.f.session.channel(2).modes().strSendHex, bytes);
}

void TestTransmit::repeatSendsTheChosenRecord()
{
    SerialBench b;
    b.c().widgets().chkHex->setChecked(true);
    b.f.type(2, QStringLiteral("41 42 "));
    QCOMPARE(b.pty.read(2), QByteArray("AB"));
    b.c().widgets().cmdRepeat->click(); // the hex byte record
    QCOMPARE(b.pty.read(2), QByteArray("AB"));
    b.c().widgets().chkHex->setChecked(false);
    b.c().widgets().cmdRepeat->click(); // the typed characters themselves
    QCOMPARE(b.pty.read(6), QByteArray("41 42 "));
    b.c().widgets().cmdClear->click();
    QVERIFY(b.c().widgets().txtSend->toPlainText().isEmpty());
    b.c().widgets().cmdRepeat->click();
    b.c().widgets().chkHex->setChecked(true);
    b.c().widgets().cmdRepeat->click();
    QCOMPARE(b.pty.readFor(100), QByteArray()); // nothing after Clear
}

void TestTransmit::repeatAfterReloadSendsTheOldRecord()
{
    SerialBench b;
    b.f.type(2, QStringLiteral("kept"));
    QCOMPARE(b.pty.read(4), QByteArray("kept"));
    b.f.window->reload();
    QVERIFY(b.c().widgets().txtSend->toPlainText().isEmpty());
    b.c().widgets().cmbPort->setEditText(b.pty.slavePath());
    b.f.switchOn(2);
    b.c().widgets().cmdRepeat->click();
    QCOMPARE(b.pty.read(4), QByteArray("kept"));
    b.c().widgets().optCR->click();
    b.f.pressEnter(2);
    QCOMPARE(b.pty.read(5), QByteArray("kept\r"));
}

void TestTransmit::clearsAreIndependent()
{
    SerialBench b;
    b.c().widgets().optChar->click();
    b.pty.write("shown\r");
    QTRY_COMPARE(b.f.paneText(2), QByteArray("shown\r"));
    b.pty.write("dropped");
    QTRY_COMPARE(b.f.session.channel(2).receiver().pending(), QByteArray("dropped"));
    b.f.type(2, QStringLiteral("tx"));
    b.c().widgets().cmdClearR->click(); // receive side only
    QVERIFY(b.f.paneText(2).isEmpty());
    QCOMPARE(b.f.session.channel(2).modes().strSend, QByteArray("tx"));
    b.pty.write("new\r");
    QTRY_COMPARE(b.f.paneText(2), QByteArray("new\r"));
    b.c().widgets().cmdClear->click(); // transmit side only
    QVERIFY(b.f.session.channel(2).modes().strSend.isEmpty());
    QCOMPARE(b.f.paneText(2), QByteArray("new\r"));
}

void TestTransmit::tcpRouteIsKeptAfterEditingThePortList()
{
    TcpPeer peer;
    DisplayFixture f;
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());
    f.choosePort1(QStringLiteral("3")); // only hides the TCP fields
    f.type(1, QStringLiteral("hi"));
    f.channel(1).widgets().cmdRepeat->click();
    QCOMPARE(peer.received(4), QByteArray("hihi"));
}

void TestTransmit::channel2NeverUsesTheSocket()
{
    TcpPeer peer;
    DisplayFixture f;
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());
    PtyPair pty;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.type(2, QStringLiteral("two"));
    f.channel(2).widgets().cmdRepeat->click();
    QCOMPARE(pty.read(6), QByteArray("twotwo"));
    QCOMPARE(peer.receivedFor(100), QByteArray());
}

void TestTransmit::typingWhileConnectingIsQueued()
{
    TcpPeer peer;
    DisplayFixture f;
    f.switchOnTcp(peer.port());
    f.type(1, QStringLiteral("early")); // before the connection is made
    QVERIFY(peer.waitForClient());
    f.type(1, QStringLiteral("late"));
    QCOMPARE(peer.received(9), QByteArray("earlylate"));
}

void TestTransmit::tcpReceiveInEveryModeAndFormat_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("shown");
    const QList<std::tuple<const char *, const char *, const char *>> rows = {
        {"optRT1", "optASCII1", "AB\r"},      {"optRT1", "optHex1", "41 42 0D "},
        {"optRT1", "optDec1", "65 66 13 "},   {"optChar1", "optASCII1", "AB\r"},
        {"optChar1", "optHex1", "41 42 0D "}, {"optChar1", "optDec1", "65 66 13 "},
        {"optTO1", "optASCII1", "AB\r"},      {"optTO1", "optHex1", " 41 42 0D"},
        {"optTO1", "optDec1", " 65 66 13"}};
    for (const auto &[display, format, shown] : rows)
        QTest::addRow("%s %s", display, format)
            << QString::fromLatin1(display) << QString::fromLatin1(format) << QByteArray(shown);
}

void TestTransmit::tcpReceiveInEveryModeAndFormat()
{
    QFETCH(QString, display);
    QFETCH(QString, format);
    QFETCH(QByteArray, shown);
    TcpPeer peer;
    DisplayFixture f;
    f.session.channel(1).setTimeOut(20);
    f.window->findChild<QRadioButton *>(display)->click();
    f.window->findChild<QRadioButton *>(format)->click();
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());
    peer.send("AB");
    QTest::qWait(30);
    peer.send("\r");
    QTRY_COMPARE(f.paneText(1), shown);
}

QTEST_MAIN(TestTransmit)
#include "tst_transmit.moc"
