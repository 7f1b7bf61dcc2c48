#include "app/program_translations.h"
#include "support/display_fixture.h"

#include <QAction>
#include <QMenuBar>
#include <QTest>

// The window speaks the language it is started in; a later choice replaces
// an earlier one.
class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void menuTitlesFollowTheLanguage_data();
    void menuTitlesFollowTheLanguage();
};

void TestTranslations::menuTitlesFollowTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("German") << "de_DE"
                            << QStringList{"&Datei",      "&Einstellungen", "&Aufzeichnung",
                                           "&Verbindung", "An&sicht",       "&Hilfe"};
    QTest::newRow("Austrian German")
        << "de_AT" << QStringList{"&Datei",      "&Einstellungen", "&Aufzeichnung",
                                  "&Verbindung", "An&sicht",       "&Hilfe"};
    QTest::newRow("English after German")
        << "en_GB" << QStringList{"&File", "&Setup", "&Capture", "&Link", "&View", "&Help"};
}

void TestTranslations::menuTitlesFollowTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QStringList, titles);
    installProgramTranslations(QLocale(language));
    DisplayFixture f;
    QStringList shown;
    for (const QAction *menu : f.window->menuBar()->actions())
        shown << menu->text();
    QCOMPARE(shown, titles);
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
