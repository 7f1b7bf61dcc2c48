// Installing the build tree into a scratch root, as a package would, and
// making the Debian package: the program, its menu entry and its icons land
// where desktops look for them.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

const QList<int> pngSizes{16, 32, 48, 64, 128, 256};

QString binaryDir()
{
    return qEnvironmentVariable("VARNOK_TEST_BINARY_DIR");
}

// The cmake or cpack that configured this build tree (its cache names
// them), else the one on the PATH.
QString toolCommand(const QString &cacheEntry, const QString &fallback)
{
    QFile cache(binaryDir() + QStringLiteral("/CMakeCache.txt"));
    if (cache.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString prefix = cacheEntry + QStringLiteral(":INTERNAL=");
        while (!cache.atEnd()) {
            const QString line = QString::fromLocal8Bit(cache.readLine()).trimmed();
            if (line.startsWith(prefix) && QFileInfo(line.mid(prefix.size())).isExecutable())
                return line.mid(prefix.size());
        }
    }
    return QStandardPaths::findExecutable(fallback);
}

struct Run
{
    int exitCode = -1;
    QString output; // standard output and error together
};

Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        result.output = QStringLiteral("did not finish: ") + program;
        return result;
    }
    result.output = QString::fromLocal8Bit(process.readAll());
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
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

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsProgram_data();
    void installsProgram();
    void installsPngIcons_data();
    void installsPngIcons();
    void installsScalableIcon();
    void desktopEntryValidates();
    void desktopEntryNamesTheProgram_data();
    void desktopEntryNamesTheProgram();
    void desktopEntryListsTheMenus();
    void debianPackageDependsOnQtAndFonts();

private:
    QString installed(const QString &relative) const { return m_root.filePath(relative); }

    QTemporaryDir m_root; // DESTDIR: the tree lands under m_root/usr
};

void TestInstall::initTestCase()
{
    QVERIFY(m_root.isValid());
    QVERIFY2(!binaryDir().isEmpty(), "VARNOK_TEST_BINARY_DIR is not set");
    const QString cmake = toolCommand(QStringLiteral("CMAKE_COMMAND"), QStringLiteral("cmake"));
    QVERIFY2(!cmake.isEmpty(), "cmake not found");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), m_root.path());
    const Run install = run(cmake,
                            {QStringLiteral("--install"), binaryDir(), QStringLiteral("--prefix"),
                             QStringLiteral("/usr")},
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

void TestInstall::desktopEntryValidates()
{
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    QVERIFY2(!validator.isEmpty(), "desktop-file-validate not found (package desktop-file-utils)");
    const Run check =
        run(validator, {installed(QStringLiteral("usr/share/applications/varnokterm.desktop"))});
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    QVERIFY2(!check.output.contains(QLatin1String("error:")), qPrintable(check.output));
    QVERIFY2(!check.output.contains(QLatin1String("warning:")), qPrintable(check.output));
}

void TestInstall::desktopEntryNamesTheProgram_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("Type") << QStringLiteral("Type") << QStringLiteral("Application");
    QTest::newRow("Name") << QStringLiteral("Name") << QStringLiteral("VarnokTerm");
    QTest::newRow("GenericName") << QStringLiteral("GenericName")
                                 << QStringLiteral("Data Capture Terminal");
    QTest::newRow("Exec") << QStringLiteral("Exec") << QStringLiteral("varnokterm");
    QTest::newRow("Icon") << QStringLiteral("Icon") << QStringLiteral("varnokterm");
    QTest::newRow("Terminal") << QStringLiteral("Terminal") << QStringLiteral("false");
}

void TestInstall::desktopEntryNamesTheProgram()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    const auto entry =
        desktopEntry(installed(QStringLiteral("usr/share/applications/varnokterm.desktop")));
    QVERIFY(!entry.isEmpty());
    QCOMPARE(entry.value(key), value);
}

void TestInstall::desktopEntryListsTheMenus()
{
    const auto entry =
        desktopEntry(installed(QStringLiteral("usr/share/applications/varnokterm.desktop")));
    const QStringList categories = entry.value(QStringLiteral("Categories")).split(u';');
    QVERIFY2(categories.contains(QLatin1String("Development")), qPrintable(categories.join(u';')));
    QVERIFY2(categories.contains(QLatin1String("Utility")), qPrintable(categories.join(u';')));
}

void TestInstall::debianPackageDependsOnQtAndFonts()
{
    const QString cpack =
        toolCommand(QStringLiteral("CMAKE_CPACK_COMMAND"), QStringLiteral("cpack"));
    QVERIFY2(!cpack.isEmpty(), "cpack not found");
    const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
    QVERIFY2(!dpkgDeb.isEmpty(), "dpkg-deb not found");

    QTemporaryDir packageDir;
    QVERIFY(packageDir.isValid());
    const Run pack = run(cpack, {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"),
                                 packageDir.path(), QStringLiteral("--config"),
                                 binaryDir() + QStringLiteral("/CPackConfig.cmake")});
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output));
    const QStringList debs =
        QDir(packageDir.path()).entryList({QStringLiteral("varnokterm_*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    const QString deb = packageDir.filePath(debs.constFirst());

    const Run info = run(dpkgDeb, {QStringLiteral("--field"), deb, QStringLiteral("Depends"),
                                   QStringLiteral("Maintainer")});
    QVERIFY2(info.exitCode == 0, qPrintable(info.output));
    const QRegularExpressionMatch depends =
        QRegularExpression(QStringLiteral("^Depends: (.*)$"), QRegularExpression::MultilineOption)
            .match(info.output);
    QVERIFY2(depends.hasMatch(), qPrintable(info.output));
    const QStringList packages = depends.captured(1).split(QStringLiteral(", "));
    for (const QString &needed :
         {QStringLiteral("fonts-liberation2"), QStringLiteral("libqt6core6"),
          QStringLiteral("libqt6widgets6"), QStringLiteral("libqt6serialport6"),
          QStringLiteral("libqt6network6"), QStringLiteral("libqt6printsupport6")}) {
        const bool listed = std::any_of(packages.cbegin(), packages.cend(), [&](const QString &p) {
            return p == needed || p.startsWith(needed + QLatin1Char(' '));
        });
        QVERIFY2(listed,
                 qPrintable(needed + QStringLiteral(" missing from: ") + depends.captured(1)));
    }
    QVERIFY2(info.output.contains(QLatin1String("Maintainer: Varnok Instruments")),
             qPrintable(info.output));

    const Run contents = run(dpkgDeb, {QStringLiteral("--contents"), deb});
    QVERIFY2(contents.exitCode == 0, qPrintable(contents.output));
    for (const QString &path :
         {QStringLiteral("./usr/bin/varnokterm"),
          QStringLiteral("./usr/share/applications/varnokterm.desktop"),
          QStringLiteral("./usr/share/icons/hicolor/scalable/apps/varnokterm.svg"),
          QStringLiteral("./usr/share/icons/hicolor/48x48/apps/varnokterm.png")})
        QVERIFY2(contents.output.contains(path), qPrintable(path));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
