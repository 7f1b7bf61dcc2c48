// The send-button row's F-keys in a transmit field: a defined button's key
// presses it; any other F-key stays the window's shortcut.
#include "devices/channel.h"
#include "ui/send_button_bar.h"
#include "ui/transmit_edit.h"

#include <QAction>
#include <QMainWindow>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

class TestSendButtonBar : public QObject
{
    Q_OBJECT

private slots:
    void fKeysPressOnlyDefinedButtons_data();
    void fKeysPressOnlyDefinedButtons();
};

void TestSendButtonBar::fKeysPressOnlyDefinedButtons_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("pressesButton");
    QTest::newRow("F1, defined") << int(Qt::Key_F1) << int(Qt::NoModifier) << true;
    QTest::newRow("F2, not defined") << int(Qt::Key_F2) << int(Qt::NoModifier) << false;
    QTest::newRow("Shift+F1") << int(Qt::Key_F1) << int(Qt::ShiftModifier) << false;
}

void TestSendButtonBar::fKeysPressOnlyDefinedButtons()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, pressesButton);
    Channel channel(1, true); // off: a press says so and sends nothing
    QCOMPARE(channel.sendButtons().define(0, {QStringLiteral("Hello"), QStringLiteral("hi")}),
             QString());
    QMainWindow window;
    auto *bar = new SendButtonBar(channel, &window);
    window.addToolBar(Qt::BottomToolBarArea, bar);
    auto *field = new TransmitEdit(&window);
    window.setCentralWidget(field);
    bar->watchKeys(field);
    auto *shortcut = new QAction(&window);
    shortcut->setShortcut(QKeySequence(key | modifiers));
    window.addAction(shortcut);
    QSignalSpy shortcutUsed(shortcut, &QAction::triggered);
    QSignalSpy refused(&channel.sendButtons(), &SendButtons::refused);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setFocus();
    QVERIFY(bar->isVisible());

    QTest::keyClick(field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(refused.count(), pressesButton ? 1 : 0);
    QCOMPARE(shortcutUsed.count(), pressesButton ? 0 : 1);
    if (pressesButton)
        QVERIFY(window.statusBar()->currentMessage().contains(QLatin1String("the port is off")));
}

QTEST_MAIN(TestSendButtonBar)
#include "tst_send_button_bar.moc"
