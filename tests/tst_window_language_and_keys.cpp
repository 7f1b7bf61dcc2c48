#include "app/program_translations.h"
#include "core/channel_list.h"
#include "support/display_fixture.h"
#include "ui/help_menu.h"
#include "ui/keyboard_shortcuts_dialog.h"
#include "ui/manual_window.h"
#include "ui/send_buttons_dialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

// The window in each language, from the keyboard and for a screen reader.
class TestWindowLanguageAndKeys : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void menuTitlesFollowTheLanguage_data();
    void menuTitlesFollowTheLanguage();
    void mnemonicsNeverCollide_data();
    void mnemonicsNeverCollide();
    void shortcutListFollowsTheActions();
    void manualIsFoundBesideTheInstalledProgram();
    void manualLinksReachTheirSections();
    void everyFocusableControlIsNamedWithItsChannel();
};

namespace {

// Claims each caption's mnemonic in `taken`; returns the captions whose
// mnemonic was taken already.
QStringList collisions(const QStringList &captions, QList<QKeySequence> &taken)
{
    QStringList collided;
    for (const QString &caption : captions) {
        const QKeySequence key = QKeySequence::mnemonic(caption);
        if (key.isEmpty())
            continue;
        if (taken.contains(key))
            collided << caption;
        taken << key;
    }
    return collided;
}

QStringList captionsOf(const QList<QAction *> &actions)
{
    QStringList captions;
    for (const QAction *action : actions)
        captions << action->text();
    return captions;
}

QString caption(const QWidget *control)
{
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *frame = qobject_cast<const QGroupBox *>(control))
        return frame->title();
    return {};
}

} // namespace

void TestWindowLanguageAndKeys::mnemonicsNeverCollide_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "en_US";
    QTest::newRow("German") << "de_DE";
}

void TestWindowLanguageAndKeys::init()
{
    installProgramTranslations(QLocale(QLocale::English));
}

void TestWindowLanguageAndKeys::menuTitlesFollowTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("titles");
    const QStringList german{"&Datei",      "&Einstellungen", "&Aufzeichnung",
                             "&Verbindung", "An&sicht",       "&Hilfe"};
    QTest::newRow("German") << "de_DE" << german;
    QTest::newRow("English") << "en_GB" << QStringList{"&File", "&Setup", "&Capture",
                                                       "&Link", "&View",  "&Help"};
}

void TestWindowLanguageAndKeys::menuTitlesFollowTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QStringList, titles);
    installProgramTranslations(QLocale(language));
    DisplayFixture f;
    QCOMPARE(captionsOf(f.window->menuBar()->actions()), titles);
}

void TestWindowLanguageAndKeys::mnemonicsNeverCollide()
{
    QFETCH(QString, language);
    installProgramTranslations(QLocale(language));
    DisplayFixture f;
    QList<QKeySequence> menuBar;
    const QStringList titles = captionsOf(f.window->menuBar()->actions());
    QCOMPARE(collisions(titles, menuBar), QStringList());
    QCOMPARE(menuBar.size(), titles.size()); // every title has one
    for (const QMenu *menu : f.window->findChildren<QMenu *>()) {
        QList<QKeySequence> taken;
        QStringList entries = captionsOf(menu->actions());
        entries.removeAll(QString()); // separators
        QVERIFY2(collisions(entries, taken).isEmpty(), qPrintable(menu->title()));
        QVERIFY2(taken.size() == entries.size(), qPrintable(entries.join(u'|'))); // each has one
    }
    // A dialog's fields and buttons share none either.
    SendButtonsDialog buttons(f.state(1));
    QStringList captions;
    for (const QWidget *control : buttons.findChildren<QWidget *>())
        captions << caption(control);
    QList<QKeySequence> taken;
    QCOMPARE(collisions(captions, taken), QStringList());
    // A channel's controls share no mnemonic among them or with the menu bar.
    for (int n : channelNumbers(defaultChannelCount)) {
        QList<QKeySequence> taken = menuBar;
        QStringList captions;
        for (const QWidget *control : f.channel(n).widgets().fraPort->findChildren<QWidget *>()) {
            captions << caption(control);
            if (auto *label = qobject_cast<const QLabel *>(control))
                QVERIFY2(QKeySequence::mnemonic(label->text()).isEmpty() || label->buddy(),
                         qPrintable(label->text()));
        }
        QCOMPARE(collisions(captions, taken), QStringList());
    }
}

void TestWindowLanguageAndKeys::shortcutListFollowsTheActions()
{
    DisplayFixture f;
    const QList<ShortcutRow> before = shortcutRows(f.window->menuBar());
    const auto row = [](const char *command, const QKeySequence &keys) {
        return ShortcutRow{QString::fromLatin1(command), keys.toString(QKeySequence::NativeText)};
    };
    QVERIFY(before.contains(row("Help > User Manual", QKeySequence::HelpContents)));
    f.window->findChild<QAction *>("mnuSetupSerial")->setShortcut(Qt::CTRL | Qt::Key_F9);
    const QList<ShortcutRow> after = shortcutRows(f.window->menuBar());
    QCOMPARE(after.size(), before.size() + 1);
    QVERIFY(after.contains(row("Setup > Serial", Qt::CTRL | Qt::Key_F9)));
}

void TestWindowLanguageAndKeys::manualIsFoundBesideTheInstalledProgram()
{
    // A prefix other than /usr: the program in <prefix>/bin finds its manual.
    const QTemporaryDir prefix;
    const QString manual = prefix.filePath("share/varnokterm/manual/manual.md");
    QVERIFY(QDir().mkpath(QFileInfo(manual).path()) && QFile(manual).open(QIODevice::WriteOnly));
    QCOMPARE(findManual(manualCandidates(prefix.filePath("bin"))), manual);
}

// Every "#section" link of the manual names a heading of the manual window's
// page, and following one brings that heading into view.
void TestWindowLanguageAndKeys::manualLinksReachTheirSections()
{
    const QString manual = manualCandidates({}).constLast(); // the source tree's
    QFile file(manual);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QRegularExpression link(QStringLiteral(R"(\]\(#([^)\s]+)\))"));
    QStringList sections;
    for (const QRegularExpressionMatch &match : link.globalMatch(file.readAll()))
        sections << match.captured(1);
    QVERIFY(sections.size() > 10);

    ManualWindow window(manual);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ManualBrowser *browser = window.browser();
    const QStringList anchors = browser->headingAnchors();
    QStringList missing;
    for (const QString &section : sections) {
        if (!anchors.contains(section))
            missing << section;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
    // The section furthest down that a link names.
    const auto furthest = std::max_element(sections.cbegin(), sections.cend(),
                                           [&anchors](const QString &a, const QString &b) {
                                               return anchors.indexOf(a) < anchors.indexOf(b);
                                           });
    browser->setSource(QUrl(QLatin1Char('#') + *furthest));
    QVERIFY(browser->verticalScrollBar()->value() > 0);
}

void TestWindowLanguageAndKeys::everyFocusableControlIsNamedWithItsChannel()
{
    DisplayFixture f;
    int named = 0;
    for (int n : channelNumbers(defaultChannelCount)) {
        QList<QWidget *> controls = f.channel(n).widgets().fraPort->findChildren<QWidget *>();
        controls += f.channel(n).tcpFields(); // on the window, over the frame
        for (QWidget *control : controls) {
            if (control->focusPolicy() == Qt::NoFocus || control->focusProxy() ||
                control->objectName().isEmpty())
                continue;
            // What a screen reader reads; on Linux a port list reads its text
            // there and its label through the buddy relation.
            QAccessibleInterface *access = QAccessible::queryAccessibleInterface(control);
            QVERIFY(!access->text(QAccessible::Name).isEmpty());
            QVERIFY(!access->text(QAccessible::Description).isEmpty());
            QVERIFY2(control->accessibleName().contains(QStringLiteral("Comm Port %1").arg(n)),
                     qPrintable(control->objectName()));
            ++named;
        }
    }
    QVERIFY(named >= 2 * 17);
}

QTEST_MAIN(TestWindowLanguageAndKeys)
#include "tst_window_language_and_keys.moc"
