// The Link menu and the receive pane's Link submenu, wired to the channels
// of a loaded main window: an unplugged device waited for with no message,
// and the control-line entries on a pseudo-terminal and on TCP.
#include "core/channel_list.h"
#include "support/display_fixture.h"
#include "support/message_boxes.h"
#include "support/pty_pair.h"
#include "support/ser2net_server.h"
#include "support/tcp_peer.h"
#include "ui/capture_pane.h"
#include "ui/channel_status_bar.h"
#include "ui/link_menu.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <memory>
#include <termios.h>

namespace {

// The entries, not the separators: the same objects in both menus.
QList<QAction *> sharedEntries(const QMenu *menu)
{
    QList<QAction *> shared = menu->actions();
    shared.removeIf([](const QAction *entry) { return entry->isSeparator(); });
    return shared;
}

QStringList entries(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *entry : menu->actions())
        texts << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    return texts;
}

} // namespace

class TestLinkMenu : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(dismissMessageBoxes(), QStringList()); }
    void aPartPerChannelAlsoInItsPane();
    void replugShowsNoMessage();
    void controlLinesOnAPtyAndOnTcp();
    void rfc2217ChannelTakesTheSerialSetupAndFlowControl();
};

void TestLinkMenu::aPartPerChannelAlsoInItsPane()
{
    DisplayFixture f;
    const LinkMenu &link = *f.window->linkMenu();
    QCOMPARE(entries(link.menu()),
             (QStringList{"Comm Port &1", "Comm Port &2", "-", "&Bridge..."}));
    for (int n : channelNumbers(defaultChannelCount)) {
        const LinkMenu::Actions &a = link.actions(n);
        const QMenu *part = link.menu()->actions().at(n - 1)->menu();
        QCOMPARE(entries(part), (QStringList{"&Reconnect Automatically", "-", "&DTR", "R&TS",
                                             "Send &Break", "-", "&Flow Control", "&Speed"}));
        // The defaults change nothing.
        QVERIFY(!a.reconnect->isChecked());
        QVERIFY(a.dtr->isChecked() && a.rts->isChecked());
        QVERIFY(a.flow.at(size_t(FlowControl::None))->isChecked());
        QVERIFY(!a.sendBreak->isEnabled()); // only on an open serial device

        // The pane's context menu ends with the same entries.
        std::unique_ptr<QMenu> context(f.channel(n).widgets().txtRecv->createContextMenu());
        const QMenu *pane = context->actions().constLast()->menu();
        QVERIFY(pane);
        QCOMPARE(entries(pane), entries(part));
        QCOMPARE(sharedEntries(pane), sharedEntries(part));
    }
}

void TestLinkMenu::replugShowsNoMessage()
{
    DisplayFixture f;
    PtyPair pty;
    f.window->linkMenu()->actions(2).reconnect->trigger();
    QVERIFY(f.state(2).linkOptions().reconnect);
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    pty.write("before");
    QTRY_COMPARE(f.paneText(2), QByteArray("before"));
    pty.closeMaster();
    QTRY_VERIFY(f.state(2).isWaiting());
    f.window->statusLine()->refresh();
    QVERIFY2(f.window->statusLine()->fullText(2).contains("waiting for " + pty.slavePath()),
             qPrintable(f.window->statusLine()->fullText(2)));
    QCOMPARE(dismissMessageBoxes(), QStringList());
    QVERIFY(f.isOn(2));
    QCOMPARE(f.paneText(2), QByteArray("before"));
}

void TestLinkMenu::controlLinesOnAPtyAndOnTcp()
{
    DisplayFixture f;
    PtyPair pty;
    f.channel(2).widgets().cmbPort->setEditText(pty.slavePath());
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    const LinkMenu::Actions &a = f.window->linkMenu()->actions(2);
    for (const QAction *action : {a.dtr, a.rts, a.sendBreak}) {
        QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
        QVERIFY2(action->toolTip().contains(pty.slavePath() + " has no control lines"),
                 qPrintable(action->toolTip()));
    }
    f.window->statusLine()->refresh();
    QVERIFY(f.window->statusLine()->fullText(2).contains("no control lines"));

    // Flow control is the terminal's setting: a pty takes it.
    QVERIFY(a.flowMenu->isEnabled());
    a.flow.at(size_t(FlowControl::RtsCts))->trigger();
    termios settings{};
    tcgetattr(pty.slaveFd(), &settings);
    QVERIFY(settings.c_cflag & CRTSCTS);
    QCOMPARE(f.state(2).linkOptions().flow, FlowControl::RtsCts);
    QTest::qWait(300); // polls would have come by now: no message at any of them
    QCOMPARE(dismissMessageBoxes(), QStringList());

    // Off, the lines may be set for the next device again.
    f.switchOff(2);
    QVERIFY(a.dtr->isEnabled());
    QVERIFY(!a.rts->isEnabled()); // RTS/CTS flow control drives it

    TcpPeer peer;
    f.switchOnTcp(peer.port());
    const LinkMenu::Actions &tcp = f.window->linkMenu()->actions(1);
    QVERIFY(!tcp.dtr->isEnabled());
    QVERIFY(tcp.dtr->toolTip().contains("TCP"));
    QVERIFY(!tcp.flowMenu->isEnabled());
}

void TestLinkMenu::rfc2217ChannelTakesTheSerialSetupAndFlowControl()
{
    if (!Ser2NetServer::isInstalled())
        QSKIP("ser2net is not installed (/usr/sbin/ser2net): apt-get install ser2net");
    PtyPair pty;
    Ser2NetServer server;
    QVERIFY(server.start(QStringLiteral("telnet(rfc2217)"), pty.slavePath()));
    DisplayFixture f;
    f.session.setSerialSettings(QStringLiteral("19200,n,8,2"));
    f.choosePort(2, QStringLiteral("RFC 2217"));
    f.channel(2).widgets().txtHost->setText(QStringLiteral("127.0.0.1"));
    f.channel(2).widgets().txtPort->setText(QString::number(server.port()));
    f.switchOn(2);
    QVERIFY(f.isOn(2));
    const auto settings = [&pty] {
        termios now{};
        tcgetattr(pty.slaveFd(), &now);
        return now;
    };
    QTRY_COMPARE_WITH_TIMEOUT(settings().c_cflag & CBAUD, tcflag_t(B19200), 10000);
    QVERIFY(settings().c_cflag & CSTOPB);

    // The Link menu's flow control reaches the remote port at once.
    const LinkMenu::Actions &a = f.window->linkMenu()->actions(2);
    QTRY_VERIFY(a.flowMenu->isEnabled());
    a.flow.at(size_t(FlowControl::RtsCts))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(settings().c_cflag & CRTSCTS, 10000);
}

QTEST_MAIN(TestLinkMenu)
#include "tst_link_menu.moc"
