// The Debian package, made with cpack and unpacked as dpkg installs it: what
// it depends on, what lintian, desktop-file-validate and appstreamcli say of
// it, its man pages as man shows them, its changelog and its copyright file.

#include "support/build_tools.h"
#include "version.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

const QString desktopFile = QStringLiteral("usr/share/applications/com.varnok.varnokterm.desktop");
const QString metainfoFile =
    QStringLiteral("usr/share/metainfo/com.varnok.varnokterm.metainfo.xml");

QString projectVersion()
{
    return QStringLiteral("%1.%2.%3")
        .arg(Version::major)
        .arg(Version::minor)
        .arg(Version::revision);
}

// The [Desktop Entry] group of a .desktop file as key -> value.
QMap<QString, QString> desktopEntry(const QString &path)
{
    QFile file(path);
    QMap<QString, QString> entry;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'['))
            inGroup = line == QLatin1String("[Desktop Entry]");
        else if (inGroup && !line.startsWith(u'#') && line.contains(u'='))
            entry.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    }
    return entry;
}

// From AppStream metadata: the text of <id> and <launchable>, and
// "release" -> the newest release's version.
QMap<QString, QString> metainfo(const QString &path)
{
    QFile file(path);
    QMap<QString, QString> values;
    if (!file.open(QIODevice::ReadOnly))
        return values;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        if (name == QLatin1String("release") && !values.contains(name))
            values.insert(name, xml.attributes().value(QLatin1String("version")).toString());
        else if (name == QLatin1String("id") || name == QLatin1String("launchable"))
            values.insert(name, xml.readElementText());
    }
    return values;
}

QString needTool(const QString &name, const char *package)
{
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        qWarning("%s not found (Debian package %s)", qPrintable(name), package);
    return path;
}

} // namespace

class TestDebianPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dependsOnQtAndFonts();
    void recommendsAndSuggests();
    void namesMaintainerWithAddress();
    void passesLintian();
    void desktopEntryValidates();
    void desktopEntryNamesTheProgram_data();
    void desktopEntryNamesTheProgram();
    void desktopEntryHasOneMainCategory();
    void setupFilesHaveTheirType();
    void metainfoValidates();
    void metainfoMatchesMenuEntryAndVersion();
    void manPageShowsOptions_data();
    void manPageShowsOptions();
    void changelogNewestEntryIsThisPackage();
    void copyrightIsMachineReadable();

private:
    QString field(const QString &name) const;
    QString unpacked(const QString &relative) const { return m_tree.filePath(relative); }

    QTemporaryDir m_packageDir;
    QTemporaryDir m_tree; // the package's files, as dpkg would install them under /
    QString m_deb;
};

void TestDebianPackage::initTestCase()
{
    QVERIFY(m_packageDir.isValid() && m_tree.isValid());
    const QString cpack = buildTool(QStringLiteral("CMAKE_CPACK_COMMAND"), QStringLiteral("cpack"));
    QVERIFY2(!cpack.isEmpty(), "cpack not found");
    const ToolRun pack =
        runTool(cpack, {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"),
                        m_packageDir.path(), QStringLiteral("--config"),
                        testBinaryDir() + QStringLiteral("/CPackConfig.cmake")});
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output));
    const QStringList debs =
        QDir(m_packageDir.path()).entryList({QStringLiteral("varnokterm_*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = m_packageDir.filePath(debs.constFirst());

    const ToolRun unpack =
        runTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_tree.path()});
    QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.output));
}

QString TestDebianPackage::field(const QString &name) const
{
    return runTool(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), m_deb, name})
        .output.trimmed();
}

void TestDebianPackage::dependsOnQtAndFonts()
{
    const QStringList packages = field(QStringLiteral("Depends")).split(QStringLiteral(", "));
    for (const char *needed :
         {"fonts-liberation2", "libqt6core6", "libqt6widgets6", "libqt6serialport6",
          "libqt6network6", "libqt6printsupport6", "libqt6qml6"}) {
        const QString name = QString::fromLatin1(needed);
        const bool listed = std::any_of(packages.cbegin(), packages.cend(), [&](const QString &p) {
            return p == name || p.startsWith(name + u' ');
        });
        QVERIFY2(listed,
                 qPrintable(name + QStringLiteral(" missing from: ") + packages.join(u',')));
    }
}

// File transfer needs lrzsz; ser2net serves RFC 2217.
void TestDebianPackage::recommendsAndSuggests()
{
    QVERIFY2(field(QStringLiteral("Recommends")).split(u',').contains(QStringLiteral("lrzsz")),
             qPrintable(field(QStringLiteral("Recommends"))));
    QVERIFY2(field(QStringLiteral("Suggests")).split(u',').contains(QStringLiteral("ser2net")),
             qPrintable(field(QStringLiteral("Suggests"))));
}

void TestDebianPackage::namesMaintainerWithAddress()
{
    const QString maintainer = field(QStringLiteral("Maintainer"));
    QVERIFY2(QRegularExpression(QStringLiteral("^Varnok Instruments <[^@<> ]+@[^@<> ]+>$"))
                 .match(maintainer)
                 .hasMatch(),
             qPrintable(maintainer));
}

// Overrides count only as the package itself carries them, each with its
// reason, from packaging/lintian-overrides.
void TestDebianPackage::passesLintian()
{
    const QString lintian = needTool(QStringLiteral("lintian"), "lintian");
    QVERIFY(!lintian.isEmpty());
    const ToolRun check =
        runTool(lintian, {QStringLiteral("--fail-on"), QStringLiteral("error,warning"), m_deb});
    const QStringList complaints =
        reportLines(check.output, {QStringLiteral("E:"), QStringLiteral("W:")});
    QVERIFY2(complaints.isEmpty(), qPrintable(complaints.join(u'\n')));
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
}

void TestDebianPackage::desktopEntryValidates()
{
    const QString validator =
        needTool(QStringLiteral("desktop-file-validate"), "desktop-file-utils");
    QVERIFY(!validator.isEmpty());
    const ToolRun check = runTool(validator, {unpacked(desktopFile)});
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    QVERIFY2(check.output.trimmed().isEmpty(), qPrintable(check.output));
}

void TestDebianPackage::desktopEntryNamesTheProgram_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("Type") << QStringLiteral("Type") << QStringLiteral("Application");
    QTest::newRow("Name") << QStringLiteral("Name") << QStringLiteral("VarnokTerm");
    QTest::newRow("GenericName") << QStringLiteral("GenericName")
                                 << QStringLiteral("Data Capture Terminal");
    QTest::newRow("Exec") << QStringLiteral("Exec") << QStringLiteral("varnokterm %f");
    QTest::newRow("MimeType") << QStringLiteral("MimeType")
                              << QStringLiteral("application/x-varnokterm-setup;");
    QTest::newRow("Icon") << QStringLiteral("Icon") << QStringLiteral("varnokterm");
    QTest::newRow("Terminal") << QStringLiteral("Terminal") << QStringLiteral("false");
}

void TestDebianPackage::desktopEntryNamesTheProgram()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    const auto entry = desktopEntry(unpacked(desktopFile));
    QVERIFY(!entry.isEmpty());
    QCOMPARE(entry.value(key), value);
}

// One main category, so menus show the program once.
void TestDebianPackage::desktopEntryHasOneMainCategory()
{
    const QStringList mainCategories{
        QStringLiteral("AudioVideo"),  QStringLiteral("Audio"),     QStringLiteral("Video"),
        QStringLiteral("Development"), QStringLiteral("Education"), QStringLiteral("Game"),
        QStringLiteral("Graphics"),    QStringLiteral("Network"),   QStringLiteral("Office"),
        QStringLiteral("Science"),     QStringLiteral("Settings"),  QStringLiteral("System"),
        QStringLiteral("Utility")};
    QStringList named;
    for (const QString &category :
         desktopEntry(unpacked(desktopFile)).value(QStringLiteral("Categories")).split(u';')) {
        if (mainCategories.contains(category))
            named.append(category);
    }
    QCOMPARE(named, QStringList{QStringLiteral("Development")});
}

// The type the menu entry opens, so a double-click on a setup file starts
// the program with it.
void TestDebianPackage::setupFilesHaveTheirType()
{
    QFile file(unpacked(QStringLiteral("usr/share/mime/packages/com.varnok.varnokterm.xml")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString type;
    QString glob;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("mime-type"))
            type = xml.attributes().value(QLatin1String("type")).toString();
        else if (xml.name() == QLatin1String("glob"))
            glob = xml.attributes().value(QLatin1String("pattern")).toString();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(glob, QStringLiteral("*.vterm"));
    QCOMPARE(type + u';', desktopEntry(unpacked(desktopFile)).value(QStringLiteral("MimeType")));
}

void TestDebianPackage::metainfoValidates()
{
    const QString appstreamcli = needTool(QStringLiteral("appstreamcli"), "appstream");
    QVERIFY(!appstreamcli.isEmpty());
    const ToolRun check =
        runTool(appstreamcli,
                {QStringLiteral("validate"), QStringLiteral("--no-net"), unpacked(metainfoFile)});
    const QStringList complaints =
        reportLines(check.output, {QStringLiteral("E:"), QStringLiteral("W:")});
    QVERIFY2(complaints.isEmpty(), qPrintable(complaints.join(u'\n')));
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
}

void TestDebianPackage::metainfoMatchesMenuEntryAndVersion()
{
    const auto values = metainfo(unpacked(metainfoFile));
    const QString desktopName = QFileInfo(desktopFile).fileName();
    QCOMPARE(values.value(QStringLiteral("id")) + QStringLiteral(".desktop"), desktopName);
    QCOMPARE(values.value(QStringLiteral("launchable")), desktopName);
    QCOMPARE(values.value(QStringLiteral("release")), projectVersion());
    // No stand-in web addresses for software centres to show or fetch.
    QFile file(unpacked(metainfoFile));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains(".example"));
}

void TestDebianPackage::manPageShowsOptions_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("varnokterm") << QStringLiteral("varnokterm")
                                << QStringList{QStringLiteral("varnokterm - two-channel"),
                                               QStringLiteral("-h, --help"),
                                               QStringLiteral("-v, --version"),
                                               QStringLiteral("setup.vterm"),
                                               QStringLiteral("EXIT STATUS"),
                                               QStringLiteral("last.vterm")};
    QTest::newRow("varnok-demo-peer")
        << QStringLiteral("varnok-demo-peer")
        << QStringList{QStringLiteral("varnok-demo-peer - pretend instrument"),
                       QStringLiteral("--pty"), QStringLiteral("--port N")};
}

void TestDebianPackage::manPageShowsOptions()
{
    QFETCH(QString, program);
    QFETCH(QStringList, expected);
    const QString man = needTool(QStringLiteral("man"), "man-db");
    QVERIFY(!man.isEmpty());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    const ToolRun page =
        runTool(man,
                {QStringLiteral("-l"), QStringLiteral("-P"), QStringLiteral("cat"),
                 unpacked(QStringLiteral("usr/share/man/man1/%1.1.gz").arg(program))},
                environment);
    QVERIFY2(page.exitCode == 0, qPrintable(page.output));
    // Justified lines hold runs of spaces.
    const QString text = page.output.simplified();
    for (const QString &line : expected)
        QVERIFY2(text.contains(line),
                 qPrintable(line + QStringLiteral(" missing from:\n") + page.output));
}

void TestDebianPackage::changelogNewestEntryIsThisPackage()
{
    const QString version = field(QStringLiteral("Version"));
    QVERIFY2(version.startsWith(projectVersion() + u'-'), qPrintable(version));
    const ToolRun changelog =
        runTool(QStringLiteral("gzip"),
                {QStringLiteral("-dc"),
                 unpacked(QStringLiteral("usr/share/doc/varnokterm/changelog.Debian.gz"))});
    QCOMPARE(changelog.exitCode, 0);
    QVERIFY2(changelog.output.startsWith(QStringLiteral("varnokterm (%1) ").arg(version)),
             qPrintable(changelog.output));
}

void TestDebianPackage::copyrightIsMachineReadable()
{
    QFile file(unpacked(QStringLiteral("usr/share/doc/varnokterm/copyright")));
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.startsWith(QLatin1String(
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")));
    for (const char *key : {"\nFiles: *\n", "\nCopyright: ", "\nLicense: "})
        QVERIFY2(text.contains(QLatin1String(key)), key);
}

QTEST_GUILESS_MAIN(TestDebianPackage)
#include "tst_debian_package.moc"
