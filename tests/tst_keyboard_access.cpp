#include "app/program_translations.h"
#include "core/channel_list.h"
#include "support/display_fixture.h"
#include "ui/keyboard_shortcuts_dialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

// The window reached from the keyboard and by a screen reader: mnemonics
// that don't collide, labels that lead to their fields, the shortcut list
// read from the actions, and accessible names that say which channel.
class TestKeyboardAccess : public QObject
{
    Q_OBJECT

private slots:
    void mnemonicsAreUniqueInEveryMenu_data();
    void mnemonicsAreUniqueInEveryMenu();
    void channelMnemonicsLeaveTheMenuBarsAlone_data();
    void channelMnemonicsLeaveTheMenuBarsAlone();
    void shortcutListFollowsTheActions();
    void everyFocusableControlIsNamedWithItsChannel();
};

namespace {

// The key of the text's mnemonic, or an empty sequence.
QKeySequence mnemonicOf(const QString &text)
{
    return QKeySequence::mnemonic(text);
}

QStringList duplicateMnemonics(const QList<QAction *> &actions)
{
    QStringList duplicates;
    QList<QKeySequence> seen;
    for (const QAction *action : actions) {
        const QKeySequence key = mnemonicOf(action->text());
        if (key.isEmpty())
            continue;
        if (seen.contains(key))
            duplicates << action->text();
        seen << key;
    }
    return duplicates;
}

// Each language chooses its own mnemonics: both are checked.
void addLanguageRows()
{
    QTest::addColumn<QString>("language");
    for (const char *language : {"en_US", "de_DE"})
        QTest::newRow(language) << QString::fromLatin1(language);
}

void useLanguage(const QString &language)
{
    const bool translated = installProgramTranslations(QLocale(language));
    QCOMPARE(translated, language != QLatin1String("en_US"));
}

} // namespace

void TestKeyboardAccess::mnemonicsAreUniqueInEveryMenu_data()
{
    addLanguageRows();
}

void TestKeyboardAccess::mnemonicsAreUniqueInEveryMenu()
{
    QFETCH(QString, language);
    useLanguage(language);
    DisplayFixture f;
    const QMenuBar *bar = f.window->menuBar();
    for (const QAction *top : bar->actions())
        QVERIFY2(!mnemonicOf(top->text()).isEmpty(), qPrintable(top->text()));
    QCOMPARE(duplicateMnemonics(bar->actions()), QStringList());
    const QList<QMenu *> menus = f.window->findChildren<QMenu *>();
    QVERIFY(menus.size() > 6);
    for (const QMenu *menu : menus)
        QVERIFY2(duplicateMnemonics(menu->actions()).isEmpty(),
                 qPrintable(menu->title() + QLatin1String(": ") +
                            duplicateMnemonics(menu->actions()).join(QLatin1Char(' '))));
}

void TestKeyboardAccess::channelMnemonicsLeaveTheMenuBarsAlone_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("channel");
    for (const char *language : {"en_US", "de_DE"})
        for (int n : channelNumbers())
            QTest::addRow("%s Comm Port %d", language, n) << QString::fromLatin1(language) << n;
}

void TestKeyboardAccess::channelMnemonicsLeaveTheMenuBarsAlone()
{
    QFETCH(QString, language);
    QFETCH(int, channel);
    useLanguage(language);
    DisplayFixture f;
    QList<QKeySequence> taken;
    for (const QAction *top : f.window->menuBar()->actions())
        taken << mnemonicOf(top->text());
    const auto claim = [&taken](const QString &caption) {
        const QKeySequence key = mnemonicOf(caption);
        if (key.isEmpty())
            return true;
        const bool free = !taken.contains(key);
        taken << key;
        return free;
    };
    QWidget *group = f.channel(channel).widgets().fraPort;
    for (const QAbstractButton *button : group->findChildren<QAbstractButton *>())
        QVERIFY2(claim(button->text()), qPrintable(button->text()));
    for (const QGroupBox *frame : group->findChildren<QGroupBox *>())
        QVERIFY2(claim(frame->title()), qPrintable(frame->title()));
    for (const QLabel *label : group->findChildren<QLabel *>()) {
        if (mnemonicOf(label->text()).isEmpty())
            continue;
        QVERIFY2(claim(label->text()), qPrintable(label->text()));
        QVERIFY2(label->buddy(), qPrintable(label->text()));
    }
}

void TestKeyboardAccess::shortcutListFollowsTheActions()
{
    useLanguage(QStringLiteral("en_US"));
    DisplayFixture f;
    const QList<ShortcutRow> before = shortcutRows(f.window->menuBar());
    QVERIFY(before.contains(
        ShortcutRow{QStringLiteral("Help > User Manual"),
                    QKeySequence(QKeySequence::HelpContents).toString(QKeySequence::NativeText)}));
    auto *serial = f.window->findChild<QAction *>(QStringLiteral("mnuSetupSerial"));
    serial->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F9));
    const QList<ShortcutRow> after = shortcutRows(f.window->menuBar());
    QCOMPARE(after.size(), before.size() + 1);
    QVERIFY(after.contains(
        ShortcutRow{QStringLiteral("Setup > Serial"),
                    QKeySequence(Qt::CTRL | Qt::Key_F9).toString(QKeySequence::NativeText)}));
}

void TestKeyboardAccess::everyFocusableControlIsNamedWithItsChannel()
{
    DisplayFixture f;
    int named = 0;
    for (int n : channelNumbers()) {
        QWidget *group = f.channel(n).widgets().fraPort;
        QList<QWidget *> controls = group->findChildren<QWidget *>();
        // The TCP fields lie on the window, over the frame.
        for (QWidget *field : f.channel(n).tcpFields())
            if (!controls.contains(field))
                controls << field;
        for (QWidget *control : controls) {
            if (control->focusPolicy() == Qt::NoFocus || control->focusProxy() ||
                !control->objectName().size())
                continue;
            // What a screen reader reads; on Linux a port list reads its text
            // there and its label through the buddy relation.
            QAccessibleInterface *access = QAccessible::queryAccessibleInterface(control);
            QVERIFY(access);
            QVERIFY2(!access->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
            QVERIFY2(control->accessibleName().contains(QStringLiteral("Comm Port %1").arg(n)),
                     qPrintable(control->objectName() + QLatin1String(": ") +
                                control->accessibleName()));
            QVERIFY2(!access->text(QAccessible::Description).isEmpty(),
                     qPrintable(control->objectName()));
            ++named;
        }
    }
    QVERIFY(named >= 2 * 17);
}

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboard_access.moc"
