// Installing the build tree into a scratch root, as a package would: the
// programs, their man pages and manual, the menu entry, the icons and the
// AppStream metadata land where desktops and software centres look for them.
// tst_debian_package checks the Debian package made of them.

#include "support/build_tools.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QList<int> pngSizes{16, 32, 48, 64, 128, 256};

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsProgram_data();
    void installsProgram();
    void installsDocumentation_data();
    void installsDocumentation();
    void installedDocsLinkOnlyInstalledFiles();
    void installsPngIcons_data();
    void installsPngIcons();
    void installsScalableIcon();
    void leavesDebianFilesToThePackage_data();
    void leavesDebianFilesToThePackage();
    void plainInstallMakesFileTypeKnown();

private:
    QString installed(const QString &relative) const { return m_root.filePath(relative); }

    QTemporaryDir m_root; // DESTDIR: the tree lands under m_root/usr
};

void TestInstall::initTestCase()
{
    QVERIFY(m_root.isValid());
    QVERIFY2(!testBinaryDir().isEmpty(), "VARNOK_TEST_BINARY_DIR is not set");
    const QString cmake = buildTool(QStringLiteral("CMAKE_COMMAND"), QStringLiteral("cmake"));
    QVERIFY2(!cmake.isEmpty(), "cmake not found");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), m_root.path());
    const ToolRun install = runTool(cmake,
                                    {QStringLiteral("--install"), testBinaryDir(),
                                     QStringLiteral("--prefix"), QStringLiteral("/usr")},
                                    environment);
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void TestInstall::installsProgram_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("program") << QStringLiteral("usr/bin/varnokterm");
    QTest::newRow("demo peer") << QStringLiteral("usr/bin/varnok-demo-peer");
}

void TestInstall::installsProgram()
{
    QFETCH(QString, path);
    const QFileInfo program(installed(path));
    QVERIFY2(program.isFile(), qPrintable(program.filePath()));
    QVERIFY(program.isExecutable());
    QVERIFY(program.size() > 0);
}

void TestInstall::installsDocumentation_data()
{
    QTest::addColumn<QString>("path");
    for (const char *path :
         {"usr/share/man/man1/varnokterm.1.gz", "usr/share/man/man1/varnok-demo-peer.1.gz",
          "usr/share/doc/varnokterm/copyright", "usr/share/doc/varnokterm/manual.md",
          "usr/share/doc/varnokterm/scripts.md", "usr/share/varnokterm/manual/manual.md",
          "usr/share/applications/com.varnok.varnokterm.desktop",
          "usr/share/metainfo/com.varnok.varnokterm.metainfo.xml",
          "usr/share/mime/packages/com.varnok.varnokterm.xml",
          "usr/lib/systemd/user/varnokterm@.service"})
        QTest::newRow(path) << QString::fromLatin1(path);
}

void TestInstall::installsDocumentation()
{
    QFETCH(QString, path);
    const QFileInfo file(installed(path));
    QVERIFY2(file.isFile(), qPrintable(file.filePath()));
    QVERIFY(file.size() > 0);
}

// Every link of the installed pages (a picture, a sibling page) names a
// file installed beside them; a web address or an anchor alone is left out.
void TestInstall::installedDocsLinkOnlyInstalledFiles()
{
    const QDir docs(installed(QStringLiteral("usr/share/doc/varnokterm")));
    const QRegularExpression link(QStringLiteral(R"(\]\(([^)#\s]+)[^)]*\))"));
    QStringList broken;
    for (const QString &page : docs.entryList({QStringLiteral("*.md")}, QDir::Files)) {
        QFile file(docs.filePath(page));
        QVERIFY(file.open(QIODevice::ReadOnly));
        for (const QRegularExpressionMatch &match : link.globalMatch(file.readAll())) {
            const QString target = match.captured(1);
            if (!target.contains(QLatin1String("://")) && !QFileInfo(docs, target).isFile())
                broken << page + QStringLiteral(": ") + target;
        }
    }
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join(u'\n')));
}

void TestInstall::installsPngIcons_data()
{
    QTest::addColumn<int>("size");
    for (const int size : pngSizes)
        QTest::addRow("%dx%d", size, size) << size;
}

void TestInstall::installsPngIcons()
{
    QFETCH(int, size);
    const QString path =
        installed(QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/varnokterm.png").arg(size));
    QImage image;
    QVERIFY2(image.load(path, "PNG"), qPrintable(path));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    // Transparent corners around the rounded square, the dark body inside.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    const QRgb middle = image.pixel(size / 2, size / 2);
    QCOMPARE(qAlpha(middle), 255);
    QVERIFY(qGray(middle) < 128);
}

void TestInstall::installsScalableIcon()
{
    QFile file(installed(QStringLiteral("usr/share/icons/hicolor/scalable/apps/varnokterm.svg")));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QXmlStreamReader xml(&file);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QLatin1String("svg"));
    QCOMPARE(xml.attributes().value(QLatin1String("viewBox")), QLatin1String("0 0 32 32"));
    int traces = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QLatin1String("polyline"))
            ++traces;
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(traces, 2);
}

// They belong to the Debian package (tst_debian_package finds them there).
void TestInstall::leavesDebianFilesToThePackage_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("lintian overrides") << QStringLiteral("usr/share/lintian/overrides/varnokterm");
    QTest::newRow("changelog") << QStringLiteral("usr/share/doc/varnokterm/changelog.Debian.gz");
}

void TestInstall::leavesDebianFilesToThePackage()
{
    QFETCH(QString, path);
    QVERIFY2(!QFileInfo::exists(installed(path)), qPrintable(path));
}

// Installed without DESTDIR, the desktop's caches learn the setup file type
// at once; the staged install of initTestCase() leaves them alone.
void TestInstall::plainInstallMakesFileTypeKnown()
{
    if (QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
        QSKIP("update-mime-database not found (Debian package shared-mime-info)");
    QVERIFY(!QFileInfo::exists(installed(QStringLiteral("usr/share/mime/mime.cache"))));
    QTemporaryDir prefix;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DESTDIR"));
    const ToolRun install = runTool(
        buildTool(QStringLiteral("CMAKE_COMMAND"), QStringLiteral("cmake")),
        {QStringLiteral("--install"), testBinaryDir(), QStringLiteral("--prefix"), prefix.path()},
        environment);
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    QFile types(prefix.filePath(QStringLiteral("share/mime/types")));
    QVERIFY2(types.open(QIODevice::ReadOnly), qPrintable(types.fileName()));
    QVERIFY(types.readAll().contains("application/x-varnokterm-setup"));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
