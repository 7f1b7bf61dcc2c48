#include "core/channel_list.h"
#include "core/pane/pane_text.h"
#include "devices/channel_link.h"
#include "devices/serial_port_component.h"
#include "devices/socket_component.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"
#include "ui/capture_pane.h"
#include "ui/transmit_edit.h"
#include "ui/view_menu.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

class TestDisplayWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void startsWithBothChannelsOff();
    void showTimeFromTheViewMenuOrThePane();
    void portListsHoldTheirEntriesWithDeviceTips();
    void portListOffersStableNamesAsTheyComeAndGo();
    void portListKeepsTheChosenDeviceWhenEntriesMove();
    void choosingTcpShowsOnlyTheTcpFields_data();
    void choosingTcpShowsOnlyTheTcpFields();
    void controlsNeverOverlapAndPortBoxesShowTheirEntries_data();
    void controlsNeverOverlapAndPortBoxesShowTheirEntries();
    void reloadResetsTheWindowAndKeepsRecords();
    void optionSwitchesChangeOnlyTheirOwnVariable_data();
    void optionSwitchesChangeOnlyTheirOwnVariable();
    void channel2ShowsWhatThePtySends_data();
    void channel2ShowsWhatThePtySends();
    void switchingOffClosesThePort();
    void busyPortIsReportedAndTheHolderKeepsIt();
    void portWithoutDeviceIsReported_data();
    void portWithoutDeviceIsReported();
    void openFailureSaysWhy();
    void refusedSettingsAreReported();
    void unpluggedDeviceIsReportedAndDataKept();
    void tcpOnAndOff();
    void badTcpPortIsRefusedWithoutConnecting_data();
    void badTcpPortIsRefusedWithoutConnecting();
    void refusedConnectionIsReported();
    void peerDropKeepsEverythingReceived();
    void channel2NeverTouchesTheSocket();
    void typedPortTextIsNeverRewritten();
    void clickingTheSelectedSwitchChangesNothing();
    void resizingGrowsTheReceivePanes();
    void paneOfAChannelThatIsOffCanBeCopied();
    void tabFollowsTheDesignedOrderOnEveryPass_data();
    void tabFollowsTheDesignedOrderOnEveryPass();
};

void TestDisplayWindow::cleanup()
{
    // No message may be left behind unread by a test.
    QCOMPARE(dismissMessageBoxes(), QStringList());
}

void TestDisplayWindow::startsWithBothChannelsOff()
{
    DisplayFixture f;
    for (int n : channelNumbers(defaultChannelCount)) {
        const ChannelGroup &c = f.channel(n);
        QVERIFY(c.widgets().optOff->isChecked());
        QVERIFY(!c.widgets().optOn->isChecked());
        QVERIFY(f.paneText(n).isEmpty());
        for (QWidget *control : c.workingControls())
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        QVERIFY(c.widgets().optASCII->isChecked());
        QVERIFY(c.widgets().optRT->isChecked());
        QVERIFY(c.widgets().optLive->isChecked());
        QVERIFY(!c.widgets().chkHex->isChecked());
    }
    for (int n : channelNumbers(defaultChannelCount)) {
        for (QWidget *field : f.channel(n).tcpFields())
            QVERIFY2(!field->isVisible(), qPrintable(field->objectName()));
    }
    QCOMPARE(f.channel(1).widgets().txtPort->text(), QStringLiteral("9761"));
    QCOMPARE(f.channel(1).widgets().txtHost->text(), QStringLiteral("127.0.0.1"));

    for (const ChannelModes *modes : {&f.state(1).modes(), &f.state(2).modes()}) {
        QCOMPARE(modes->display, DisplayMode::RealTime);
        QCOMPARE(modes->transmit, TransmitMode::RealTime);
        QCOMPARE(modes->format, ReceiveFormat::Ascii);
        QVERIFY(!modes->hexEntry);
        QVERIFY(modes->strSend.isEmpty());
        QVERIFY(modes->strSendHex.isEmpty());
    }
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Varnok Terminal"));
    QCOMPARE(f.window->objectName(), QStringLiteral("frmDisplay"));
    QCOMPARE(f.controls().size(), QSize(635, 515));
    for (const char *name :
         {"mnuFilePrint", "mnuFileExit", "mnuSetupSerial", "mnuSetupFormat", "mnuHelpAbout"})
        QVERIFY2(f.window->findChild<QAction *>(QLatin1String(name)), name);
    QVERIFY(!f.window->windowIcon().isNull());
    // The receive panes keep their fixed-pitch face under the window's own.
    for (int n : channelNumbers(defaultChannelCount))
        QVERIFY(QFontInfo(f.channel(n).widgets().txtRecv->font()).fixedPitch());
    QVERIFY(!QFontInfo(f.channel(1).widgets().optASCII->font()).fixedPitch());
}

void TestDisplayWindow::portListsHoldTheirEntriesWithDeviceTips()
{
    DisplayFixture f;
    QComboBox *list1 = f.channel(1).widgets().cmbPort;
    QComboBox *list2 = f.channel(2).widgets().cmbPort;
    QCOMPARE(list1->currentText(), QStringLiteral("1"));
    QCOMPARE(list2->currentText(), QStringLiteral("2"));
    // The network entries first, in both lists, then the port numbers.
    const QStringList network{"TCP", "RFC 2217", "TCP Listen"};
    for (QComboBox *list : {list1, list2}) {
        QCOMPARE(list->count(), network.size() + 99);
        for (int i = 0; i < network.size(); ++i)
            QCOMPARE(list->itemText(i), network.at(i));
    }
    for (int n = 1; n <= 99; ++n) {
        const int at = int(network.size()) + n - 1;
        // Each number names the device it opens here, or that there is none.
        const QString tip = list2->itemData(at, Qt::ToolTipRole).toString();
        QVERIFY(tip.startsWith(QLatin1Char('/')) || tip == QStringLiteral("no device"));
        QCOMPARE(list1->itemData(at, Qt::ToolTipRole).toString(), tip);
        const QString text = list2->itemText(at);
        if (tip == QStringLiteral("no device"))
            QCOMPARE(text, QString::number(n));
        else
            QVERIFY(
                text.startsWith(QStringLiteral("%1 - %2").arg(n).arg(QFileInfo(tip).fileName())));
        QCOMPARE(list1->itemText(at), text);
    }
}

// A name in the by-id folder is offered once it is there, opens its device,
// and goes from the list with the name; the text chosen stays.
void TestDisplayWindow::portListOffersStableNamesAsTheyComeAndGo()
{
    const QByteArray usual = qgetenv("VARNOK_SERIAL_BY_ID_DIR");
    const auto restore = qScopeGuard([usual] { qputenv("VARNOK_SERIAL_BY_ID_DIR", usual); });
    QTemporaryDir byId;
    qputenv("VARNOK_SERIAL_BY_ID_DIR", QFile::encodeName(byId.path()));
    DisplayFixture f;
    PtyPair pty;
    QComboBox *list = f.channel(2).widgets().cmbPort;
    const QString name = byId.filePath(QStringLiteral("usb-Maker_Console_A1B2C3-if00-port0"));
    QVERIFY(QFile::link(pty.slavePath(), name));
    QTRY_VERIFY(list->findText(name) >= 0);
    QCOMPARE(list->itemData(list->findText(name), Qt::ToolTipRole).toString(), pty.slavePath());
    f.choosePort(2, name);
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    pty.write("up");
    QTRY_COMPARE(f.paneText(2), QByteArray("up"));
    f.switchOff(2);
    QVERIFY(QFile::remove(name));
    QTRY_COMPARE(list->findText(name), -1);
    QCOMPARE(list->currentText(), name);
}

// A refresh keeps the chosen entry by its device, not by its place in the
// list: a name that sorts before it moves it down, then up again.
void TestDisplayWindow::portListKeepsTheChosenDeviceWhenEntriesMove()
{
    const QByteArray usual = qgetenv("VARNOK_SERIAL_BY_ID_DIR");
    const auto restore = qScopeGuard([usual] { qputenv("VARNOK_SERIAL_BY_ID_DIR", usual); });
    QTemporaryDir byId;
    qputenv("VARNOK_SERIAL_BY_ID_DIR", QFile::encodeName(byId.path()));
    DisplayFixture f;
    PtyPair ptyA, ptyB;
    QComboBox *list = f.channel(2).widgets().cmbPort;
    const QString nameA = byId.filePath(QStringLiteral("usb-Maker_Console_A-if00-port0"));
    const QString nameB = byId.filePath(QStringLiteral("usb-Maker_Console_B-if00-port0"));
    QVERIFY(QFile::link(ptyB.slavePath(), nameB));
    QTRY_VERIFY(list->findText(nameB) >= 0);
    f.choosePort(2, nameB);
    const int placeOfB = list->currentIndex();
    const auto chosenIsB = [&] {
        return list->currentText() == nameB &&
               list->itemData(list->currentIndex(), Qt::ToolTipRole).toString() == ptyB.slavePath();
    };
    QVERIFY(chosenIsB());
    QVERIFY(QFile::link(ptyA.slavePath(), nameA));
    QTRY_VERIFY(list->findText(nameA) >= 0);
    QCOMPARE(list->findText(nameA), placeOfB);
    QVERIFY(chosenIsB());
    QVERIFY(QFile::remove(nameA));
    QTRY_COMPARE(list->findText(nameA), -1);
    QCOMPARE(list->currentIndex(), placeOfB);
    QVERIFY(chosenIsB());
}

void TestDisplayWindow::choosingTcpShowsOnlyTheTcpFields_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("entry");
    for (int n : channelNumbers(defaultChannelCount)) {
        for (const char *entry : {"TCP", "RFC 2217", "TCP Listen"})
            QTest::addRow("%d %s", n, entry) << n << QString::fromLatin1(entry);
    }
}

void TestDisplayWindow::choosingTcpShowsOnlyTheTcpFields()
{
    QFETCH(int, channel);
    QFETCH(QString, entry);
    DisplayFixture f;
    f.choosePort(channel, entry);
    QCOMPARE(f.channel(channel).tcpFields().size(), 4);
    for (QWidget *field : f.channel(channel).tcpFields())
        QVERIFY(field->isVisible());
    // Inside the channel's own frame.
    const QWidget *frame = f.channel(channel).widgets().fraPort;
    const QRect host = f.channel(channel).widgets().txtHost->geometry();
    QVERIFY(frame->geometry().contains(host));
    QVERIFY(!f.isOn(channel)); // choosing opens nothing
    f.choosePort(channel, QStringLiteral("5"));
    for (QWidget *field : f.channel(channel).tcpFields())
        QVERIFY(!field->isVisible());
}

void TestDisplayWindow::controlsNeverOverlapAndPortBoxesShowTheirEntries_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("entry");
    for (int n : channelNumbers(defaultChannelCount))
        for (const char *entry : {"TCP", "RFC 2217", "TCP Listen", "5", "/dev/pts/6",
                                  "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART-if00-port0"})
            QTest::addRow("%d %s", n, entry) << n << QString::fromLatin1(entry);
}

void TestDisplayWindow::controlsNeverOverlapAndPortBoxesShowTheirEntries()
{
    QFETCH(int, channel);
    QFETCH(QString, entry);
    DisplayFixture f;
    f.choosePort(channel, entry);
    // Whole in the box (less the line edit's margins); a long path in its tooltip.
    const QLineEdit *box = f.channel(channel).widgets().cmbPort->lineEdit();
    QVERIFY(entry.size() > 12 ? box->toolTip().contains(entry)
                              : box->fontMetrics().horizontalAdvance(entry) <= box->width() - 4);
    QWidget *form = &f.controls();
    QList<QRect> taken; // by each visible control; by a frame's title alone
    for (QWidget *w : form->findChildren<QWidget *>()) {
        if (!w->isVisible() ||
            (w->parentWidget() != form && !w->parentWidget()->inherits("QGroupBox")))
            continue; // a part of a control
        QRect area(w->mapTo(form, QPoint()), w->size());
        if (const auto *frame = qobject_cast<QGroupBox *>(w)) // its title, with its margins
            area.setSize({w->fontMetrics().horizontalAdvance(frame->title()) + 16,
                          w->fontMetrics().height()});
        for (const QRect &other : std::as_const(taken))
            QVERIFY2(!area.intersects(other), qPrintable(w->objectName()));
        taken << area;
    }
}

void TestDisplayWindow::reloadResetsTheWindowAndKeepsRecords()
{
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    f.channel(2).widgets().optHex->click();
    f.channel(1).widgets().optTO->click();
    f.choosePort1(QStringLiteral("TCP"));
    pty.write("data");
    QTRY_VERIFY(!f.paneText(2).isEmpty());
    f.session.channel(1).type("typed");
    f.session.channel(2).setHexEntry(true);
    f.session.channel(2).type("4142 ");
    f.session.channel(1).setTimeOut(900);
    f.session.channel(2).setAccumulate(AccumulateMode::ClearFirst);
    f.session.channel(1).receiver().receiveSerial("pending"); // Time Out: it waits
    f.session.setSerialSettings(QStringLiteral("115200,n,8,1"));
    f.session.channel(1).pane().setText("captured\r\nlines\r\n");
    const QByteArray captured2 = f.paneText(2);
    const qint64 firstTime2 = f.state(2).pane().lineTime(0);

    f.window->reload();
    QVERIFY(f.window->isVisible());
    for (int n : channelNumbers(defaultChannelCount)) {
        QVERIFY(f.channel(n).widgets().optOff->isChecked());
        QVERIFY(!f.channel(n).widgets().txtSend->isEnabled());
    }
    // What was captured stays, with its times, and so does each port choice.
    QCOMPARE(f.paneText(1), QByteArray("captured\r\nlines\r\n"));
    QCOMPARE(f.paneText(2), captured2);
    QCOMPARE(f.state(2).pane().lineTime(0), firstTime2);
    QCOMPARE(f.session.channel(2).modes().format, ReceiveFormat::Ascii);
    QCOMPARE(f.session.channel(1).modes().display, DisplayMode::RealTime);
    QCOMPARE(f.channel(1).widgets().cmbPort->count(), 102);
    QCOMPARE(f.channel(2).widgets().cmbPort->count(), 102);
    QCOMPARE(f.channel(1).widgets().cmbPort->currentText(), QStringLiteral("TCP"));
    QCOMPARE(f.channel(2).widgets().cmbPort->currentText(), pty.slavePath());
    for (QWidget *field : f.channel(1).tcpFields())
        QVERIFY(!field->isHidden());
    QCOMPARE(f.session.channel(1).modes().strSend, QByteArray("typed"));
    QCOMPARE(f.session.channel(2).modes().strSendHex, QByteArray("AB"));
    QCOMPARE(f.session.channel(1).module().intTimeOut, qint16(900));
    QCOMPARE(f.session.channel(2).module().addTo, AccumulateMode::ClearFirst);
    QCOMPARE(f.session.channel(1).receiver().pending(), QByteArray("pending"));
    QCOMPARE(f.session.serialSettings(), QStringLiteral("115200,n,8,1"));

    // The old port was released: the new window can open it again.
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
}

void TestDisplayWindow::optionSwitchesChangeOnlyTheirOwnVariable_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("keyword");
    const QList<std::tuple<const char *, const char *, const char *>> rows = {
        {"optASCII", "format", "ASCII"},   {"optDec", "format", "Decimal"},
        {"optHex", "format", "Hex"},       {"optRT", "disp", "Real Time"},
        {"optTO", "disp", "Time Out"},     {"optChar", "disp", "Char"},
        {"optLive", "trans", "Real Time"}, {"optCR", "trans", "After CR"}};
    for (int channel : channelNumbers(defaultChannelCount))
        for (const auto &[option, variable, keyword] : rows)
            QTest::addRow("%s%d", option, channel)
                << channel << QString::fromLatin1(option) << QString::fromLatin1(variable)
                << QString::fromLatin1(keyword);
}

void TestDisplayWindow::optionSwitchesChangeOnlyTheirOwnVariable()
{
    QFETCH(int, channel);
    QFETCH(QString, option);
    QFETCH(QString, variable);
    QFETCH(QString, keyword);

    DisplayFixture f;
    // Start from values other than the one the click stores, so the store
    // shows.
    for (int n : channelNumbers(defaultChannelCount)) {
        Channel &modes = f.state(n);
        modes.setFormat(keyword == QLatin1String("ASCII") ? ReceiveFormat::Hex
                                                          : ReceiveFormat::Ascii);
        modes.setDisplayMode(keyword == QLatin1String("Time Out") ? DisplayMode::AfterCr
                                                                  : DisplayMode::TimeOut);
        modes.setTransmitMode(keyword == QLatin1String("After CR") ? TransmitMode::RealTime
                                                                   : TransmitMode::AfterCr);
    }
    const ChannelModes before = f.state(channel).modes();
    QString name = option + QString::number(channel);
    if (name == QLatin1String("optCR2"))
        name = QStringLiteral("optCr2");
    auto *button = f.window->findChild<QRadioButton *>(name);
    QVERIFY2(button, qPrintable(name));
    button->click();

    const ChannelModes &mine = f.state(channel).modes();
    const ChannelModes &other = f.state(3 - channel).modes();
    const auto expect = [&](const QString &own, QLatin1String was) {
        return variable == own ? keyword : QString(was);
    };
    QCOMPARE(QString(keywordOf(mine.format)), expect("format", keywordOf(before.format)));
    QCOMPARE(QString(keywordOf(mine.display)), expect("disp", keywordOf(before.display)));
    QCOMPARE(QString(keywordOf(mine.transmit)), expect("trans", keywordOf(before.transmit)));
    QCOMPARE(other.format, before.format);
    QCOMPARE(other.display, before.display);
    QCOMPARE(other.transmit, before.transmit);
}

void TestDisplayWindow::channel2ShowsWhatThePtySends_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("Real Time") << "optRT2" << QByteArray(" 41 42 0D 0A 43");
    QTest::newRow("Time Out") << "optTO2" << QByteArray(" 41 42 0D 0A 43");
    QTest::newRow("After CR") << "optChar2" << QByteArray(" 41 42 0D");
}

void TestDisplayWindow::channel2ShowsWhatThePtySends()
{
    QFETCH(QString, display);
    QFETCH(QByteArray, expected);

    PtyPair pty;
    DisplayFixture f;
    f.session.channel(2).setTimeOut(50);
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    f.window->findChild<QRadioButton *>(display)->click();
    f.channel(2).widgets().optHex->click();

    if (display == QLatin1String("optChar2")) {
        pty.write("AB\r");
        QTRY_COMPARE(f.paneText(2), expected);
        pty.write("\nC"); // waits for the next CR
        QTest::qWait(100);
        QCOMPARE(f.paneText(2), expected);
    } else {
        pty.write("AB\r\nC");
        QTRY_COMPARE(f.paneText(2), expected);
    }
    QVERIFY(f.paneText(1).isEmpty());
}

void TestDisplayWindow::switchingOffClosesThePort()
{
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.session.channel(2).link().serial().openState());
    f.switchOff(2);
    QVERIFY(!f.session.channel(2).link().serial().openState());
    QVERIFY(!f.channel(2).widgets().txtSend->isEnabled());
    // And another channel may now have it.
    f.channel(1).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(1);
    QVERIFY(f.isOn(1));
}

void TestDisplayWindow::busyPortIsReportedAndTheHolderKeepsIt()
{
    PtyPair pty;
    DisplayFixture f;
    f.channel(1).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(1);
    QVERIFY(f.isOn(1));
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().startsWith(QStringLiteral("Com2 Error!")));
    QVERIFY(!f.isOn(2));
    QVERIFY(f.channel(2).widgets().optOff->isChecked());
    QVERIFY(f.isOn(1));
    pty.write("still mine");
    QTRY_COMPARE(f.paneText(1), QByteArray("still mine"));
}

void TestDisplayWindow::portWithoutDeviceIsReported_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("port");
    QTest::newRow("1: 99") << 1 << "99";
    QTest::newRow("2: 99") << 2 << "99";
    QTest::newRow("2: empty") << 2 << "";
    QTest::newRow("2: 0") << 2 << "0";
    QTest::newRow("2: 100") << 2 << "100";
    QTest::newRow("2: -3") << 2 << "-3";
    QTest::newRow("2: 3.7") << 2 << "3.7";
    QTest::newRow("2: abc") << 2 << "abc";
    QTest::newRow("1: tcp in lower case") << 1 << "tcp";
    QTest::newRow("2: /nonexistent") << 2 << "/nonexistent";
}

void TestDisplayWindow::portWithoutDeviceIsReported()
{
    QFETCH(int, channel);
    QFETCH(QString, port);
    DisplayFixture f;
    f.channel(channel).widgets().cmbPort->setEditText(port);
    f.switchOn(channel);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().startsWith(QStringLiteral("Com%1 Error!").arg(channel)));
    QVERIFY(!f.isOn(channel));
    QVERIFY(f.channel(channel).widgets().optOff->isChecked());
    for (QWidget *control : f.channel(channel).workingControls())
        QVERIFY(!control->isEnabled());
}

void TestDisplayWindow::openFailureSaysWhy()
{
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(QStringLiteral("/dev/nonexistent-port"));
    f.switchOn(2);
    QCOMPARE(dismissMessageBoxes(),
             QStringList{QStringLiteral("Com2 Error!\n/dev/nonexistent-port does not exist (no "
                                        "such device)")});

    // Another program holding the device (here: a port opened outside the
    // program's components, with its lock file).
    QSerialPort other(pty.slavePath());
    QVERIFY(other.open(QIODevice::ReadWrite));
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QStringLiteral("busy")), qPrintable(messages.first()));
}

void TestDisplayWindow::refusedSettingsAreReported()
{
    PtyPair pty;
    DisplayFixture f;
    f.session.setSerialSettings(QStringLiteral("19200,E,7,2")); // a pty refuses parity and 7 bits
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().contains(pty.slavePath()));
    QVERIFY(messages.first().contains(QStringLiteral("19200,E,7,2")));
    QVERIFY(!f.isOn(2));
    QVERIFY(!f.session.channel(2).link().serial().openState());
}

void TestDisplayWindow::unpluggedDeviceIsReportedAndDataKept()
{
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.channel(2).widgets().optTO->click();
    f.session.channel(2).setTimeOut(30000); // only the failure can show it
    pty.write("last words");
    QTRY_COMPARE(f.session.channel(2).receiver().pending(), QByteArray("last words"));
    pty.closeMaster();
    QTRY_VERIFY(!f.channel(2).widgets().optOn->isChecked());
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().contains(pty.slavePath()));
    QCOMPARE(f.paneText(2), QByteArray("last words"));
    QVERIFY(!f.channel(2).widgets().txtSend->isEnabled());
}

void TestDisplayWindow::tcpOnAndOff()
{
    TcpPeer peer;
    DisplayFixture f;
    f.switchOnTcp(peer.port());
    QVERIFY(f.isOn(1)); // on at once, while connecting
    QVERIFY(peer.waitForClient());
    peer.send("hello\r\n");
    QTRY_COMPARE(f.paneText(1), QByteArray("hello\r\n"));
    f.switchOff(1);
    QVERIFY(!f.isOn(1));
    QVERIFY(peer.waitForDisconnect());
    QVERIFY(f.session.channel(1).link().route() == ChannelLink::Route::None);
}

void TestDisplayWindow::badTcpPortIsRefusedWithoutConnecting_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("empty") << "";
    QTest::newRow("0") << "0";
    QTest::newRow("65536") << "65536";
    QTest::newRow("9761x") << "9761x";
    QTest::newRow("-1") << "-1";
    QTest::newRow("1.5") << "1.5";
}

void TestDisplayWindow::badTcpPortIsRefusedWithoutConnecting()
{
    QFETCH(QString, port);
    DisplayFixture f;
    f.choosePort1(QStringLiteral("TCP"));
    f.channel(1).widgets().txtHost->setText(QStringLiteral("127.0.0.1"));
    f.channel(1).widgets().txtPort->setText(port);
    f.switchOn(1);
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().contains(QStringLiteral("1 to 65535")));
    QVERIFY(!f.isOn(1));
    QVERIFY(!f.session.channel(1).link().socket()->isActive());
}

void TestDisplayWindow::refusedConnectionIsReported()
{
    const quint16 port = TcpPeer::refusedPort();
    DisplayFixture f;
    f.switchOnTcp(port);
    QTRY_VERIFY(!f.channel(1).widgets().optOn->isChecked());
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().contains(QStringLiteral("127.0.0.1")));
    QVERIFY(messages.first().contains(QString::number(port)));
    QVERIFY2(messages.first().contains(QStringLiteral("was refused")),
             qPrintable(messages.first()));
    QVERIFY(!f.isOn(1));
}

void TestDisplayWindow::peerDropKeepsEverythingReceived()
{
    for (bool reset : {false, true}) {
        TcpPeer peer;
        DisplayFixture f;
        f.channel(1).widgets().optChar->click(); // waits for a CR that never comes
        f.switchOnTcp(peer.port());
        QVERIFY(peer.waitForClient());
        peer.send("shown\r");
        QTRY_COMPARE(f.paneText(1), QByteArray("shown\r"));
        peer.send("pending");
        QTRY_COMPARE(f.session.channel(1).receiver().pending(), QByteArray("pending"));
        if (reset)
            peer.reset();
        else
            peer.close();
        QTRY_VERIFY(!f.channel(1).widgets().optOn->isChecked());
        const QStringList messages = dismissMessageBoxes();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().contains(QString::number(peer.port())));
        QCOMPARE(f.paneText(1), QByteArray("shown\rpending"));
        QVERIFY(!f.isOn(1));
    }
}

void TestDisplayWindow::channel2NeverTouchesTheSocket()
{
    TcpPeer peer;
    PtyPair pty;
    DisplayFixture f;
    f.switchOnTcp(peer.port());
    QVERIFY(peer.waitForClient());
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    f.switchOff(2);
    QVERIFY(f.session.channel(1).link().socket()->isConnected());
    QVERIFY(f.isOn(1));
}

void TestDisplayWindow::typedPortTextIsNeverRewritten()
{
    TcpPeer peer;
    DisplayFixture f;
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.channel(1).widgets().txtPort->setText(QString::number(peer.port()));
    QComboBox *list = f.channel(1).widgets().cmbPort;
    list->setFocus();
    list->lineEdit()->selectAll();
    QTest::keyClicks(list->lineEdit(), QStringLiteral("tcp"));
    // The focus moves to "On" with the click.
    QTest::mouseClick(f.channel(1).widgets().optOn, Qt::LeftButton);

    QCOMPARE(list->currentText(), QStringLiteral("tcp"));
    // Read as a port number, which names no device.
    const QStringList messages = dismissMessageBoxes();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QLatin1String("Com1 Error!")),
             qPrintable(messages.first()));
    QVERIFY(!f.isOn(1));
    QVERIFY(!f.session.channel(1).link().socket()->isActive());
    QCOMPARE(peer.connectionsAccepted(), 0);
}

void TestDisplayWindow::clickingTheSelectedSwitchChangesNothing()
{
    PtyPair pty;
    DisplayFixture f;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    QSignalSpy changes(&f.state(2), &Channel::onChanged);
    f.channel(2).widgets().optOn->click();
    QVERIFY(f.isOn(2));
    QCOMPARE(changes.count(), 1);

    // On again: still on, the port not reopened.
    f.channel(2).widgets().optOn->click();
    QVERIFY(f.isOn(2));
    QVERIFY(!f.channel(2).widgets().optOff->isChecked());
    QCOMPARE(changes.count(), 1);
    pty.write("still");
    QTRY_COMPARE(f.paneText(2), QByteArray("still"));

    // Off twice: off once.
    f.channel(2).widgets().optOff->click();
    f.channel(2).widgets().optOff->click();
    QVERIFY(f.channel(2).widgets().optOff->isChecked());
    QVERIFY(!f.channel(2).widgets().optOn->isChecked());
    QVERIFY(!f.state(2).isOn());
    QCOMPARE(changes.count(), 2);
}

void TestDisplayWindow::resizingGrowsTheReceivePanes()
{
    DisplayFixture f;
    const ChannelGroup &a = f.channel(1);
    const ChannelGroup &b = f.channel(2);
    QList<QWidget *> controls;
    for (const ChannelGroup *g : {&a, &b})
        controls << g->widgets().fraPort << g->widgets().txtRecv << g->widgets().fraTransmit
                 << g->widgets().optOn << g->widgets().cmbPort << g->widgets().fraFormat
                 << g->widgets().cmdClearR;
    controls << a.widgets().txtHost << a.widgets().txtPort;
    QHash<QWidget *, QRect> design;
    for (QWidget *w : controls)
        design.insert(w, w->geometry());

    // 200 wider, 101 taller: the upper group takes 50 of it, the lower 51.
    f.window->resize(f.window->size() + QSize(200, 101));
    QCOMPARE(f.controls().size(), f.controls().minimumSize() + QSize(200, 101));
    QCOMPARE(a.widgets().txtRecv->geometry(), design[a.widgets().txtRecv].adjusted(0, 0, 200, 50));
    QCOMPARE(b.widgets().txtRecv->geometry(), design[b.widgets().txtRecv].adjusted(0, 0, 200, 51));
    QCOMPARE(a.widgets().fraPort->geometry(), design[a.widgets().fraPort].adjusted(0, 0, 200, 50));
    QCOMPARE(b.widgets().fraPort->geometry(),
             design[b.widgets().fraPort].adjusted(0, 50, 200, 101));
    for (const ChannelGroup *g : {&a, &b}) {
        // Right of the pane: moves with its right edge. Left of it or above
        // it: stays.
        QCOMPARE(g->widgets().fraTransmit->geometry(),
                 design[g->widgets().fraTransmit].translated(200, 0));
        QCOMPARE(g->widgets().cmbPort->geometry(), design[g->widgets().cmbPort]);
        QCOMPARE(g->widgets().fraFormat->geometry(), design[g->widgets().fraFormat]);
        QCOMPARE(g->widgets().cmdClearR->geometry(), design[g->widgets().cmdClearR]);
    }
    // Channel 1's On/Off stand right of its pane, channel 2's above it.
    QCOMPARE(a.widgets().optOn->geometry(), design[a.widgets().optOn].translated(200, 0));
    QCOMPARE(b.widgets().optOn->geometry(), design[b.widgets().optOn]);
    QCOMPARE(a.widgets().txtHost->geometry(), design[a.widgets().txtHost]);

    // Back to the design size, and never smaller.
    f.window->resize(f.window->minimumSize() - QSize(50, 50));
    QCOMPARE(f.controls().size(), f.controls().minimumSize());
    for (QWidget *w : controls)
        QCOMPARE(w->geometry(), design[w]);
}

void TestDisplayWindow::paneOfAChannelThatIsOffCanBeCopied()
{
    PtyPair pty;
    DisplayFixture f;
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    CapturePane *pane = f.channel(2).widgets().txtRecv;
    QVERIFY(pane->isEnabled());
    QVERIFY(pane->isInactive());
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(!pane->isInactive());
    pty.write("kept\r\ndata");
    QTRY_COMPARE(f.paneText(2), QByteArray("kept\r\ndata"));
    f.switchOff(2);

    QVERIFY(pane->isEnabled());
    QVERIFY(pane->isInactive());
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept\r\ndata"));
}

void TestDisplayWindow::tabFollowsTheDesignedOrderOnEveryPass_data()
{
    QTest::addColumn<bool>("channelsOn");
    QTest::addColumn<bool>("backwards");
    QTest::newRow("off, Tab") << false << false;
    QTest::newRow("off, Shift+Tab") << false << true;
    QTest::newRow("on, Tab") << true << false;
    QTest::newRow("on, Shift+Tab") << true << true;
}

void TestDisplayWindow::tabFollowsTheDesignedOrderOnEveryPass()
{
    QFETCH(bool, channelsOn);
    QFETCH(bool, backwards);

    PtyPair pty1;
    PtyPair pty2;
    DisplayFixture f;
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    if (channelsOn) {
        f.channel(1).widgets().cmbPort->setEditText(pty1.slavePath());
        f.channel(2).widgets().cmbPort->setEditText(pty2.slavePath());
        f.switchOn(1);
        f.switchOn(2);
        QVERIFY(f.isOn(1) && f.isOn(2));
    }
    f.channel(2).widgets().optDec->click(); // a group whose selected member isn't its first

    // The designed order, each option group standing for its selected member,
    // without what is disabled or hidden.
    const ChannelGroup &a = f.channel(1);
    const ChannelGroup &b = f.channel(2);
    const QList<QWidget *> design = {
        a.widgets().txtRecv,   b.widgets().txtRecv,   a.widgets().optASCII, a.widgets().optDec,
        a.widgets().optHex,    a.widgets().optRT,     a.widgets().optTO,    a.widgets().optChar,
        a.widgets().txtSend,   a.widgets().optLive,   a.widgets().optCR,    a.widgets().cmdRepeat,
        a.widgets().cmdClear,  b.widgets().optASCII,  b.widgets().optDec,   b.widgets().optHex,
        b.widgets().optRT,     b.widgets().optTO,     b.widgets().optChar,  b.widgets().optLive,
        b.widgets().optCR,     b.widgets().cmdRepeat, b.widgets().cmdClear, b.widgets().txtSend,
        a.widgets().cmdClearR, b.widgets().cmdClearR, a.widgets().chkHex,   b.widgets().chkHex,
        a.widgets().optOn,     a.widgets().optOff,    b.widgets().optOn,    b.widgets().optOff,
        a.widgets().cmbPort,   b.widgets().cmbPort,   a.widgets().txtHost,  a.widgets().txtPort};
    QList<QWidget *> expected;
    for (QWidget *control : design) {
        auto *option = qobject_cast<QRadioButton *>(control);
        if (!control->isEnabled() || !control->isVisible() || (option && !option->isChecked()))
            continue;
        expected << control;
    }
    if (backwards)
        std::reverse(expected.begin(), expected.end());

    // The focus sits on a control (or inside it, for the port lists).
    const auto focused = [] {
        QWidget *w = QApplication::focusWidget();
        while (w && w->objectName().isEmpty())
            w = w->parentWidget();
        return w;
    };
    expected.first()->setFocus(Qt::TabFocusReason);
    QCOMPARE(focused(), expected.first());
    QStringList seen;
    QStringList wanted;
    for (int step = 0; step < 2 * expected.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        seen << (focused() ? focused()->objectName() : QStringLiteral("(none)"));
        wanted << expected.at((step + 1) % expected.size())->objectName();
    }
    QCOMPARE(seen, wanted);
}

void TestDisplayWindow::showTimeFromTheViewMenuOrThePane()
{
    DisplayFixture f;
    const ViewMenu &view = *f.window->viewMenu();
    for (int n : channelNumbers(defaultChannelCount)) {
        // The pane's Show Time submenu holds the View menu part's actions.
        std::unique_ptr<QMenu> context(f.channel(n).widgets().txtRecv->createContextMenu());
        const QList<QAction *> entries = context->actions();
        const QMenu *paneTimes = entries.at(entries.size() - 2)->menu();
        QVERIFY(paneTimes);
        QCOMPARE(paneTimes->actions().first(), view.actions(n).forms.at(0));
        QVERIFY(!view.actions(n).inCopies->isEnabled()); // nothing to copy while hidden

        paneTimes->actions().at(int(LineTimeForm::SinceFirst))->trigger();
        view.actions(n).inCopies->trigger();
        const PaneTimeChoice chosen{LineTimeForm::SinceFirst, true};
        QCOMPARE(f.state(n).paneTimes(), chosen);
        QCOMPARE(f.channel(n).widgets().txtRecv->timeChoice(), chosen);
    }
    // Kept for the run: the panes made at the next load show it too.
    f.window->reload();
    for (int n : channelNumbers(defaultChannelCount))
        QCOMPARE(f.channel(n).widgets().txtRecv->timeChoice().form, LineTimeForm::SinceFirst);
}

QTEST_MAIN(TestDisplayWindow)
#include "tst_display_window.moc"
