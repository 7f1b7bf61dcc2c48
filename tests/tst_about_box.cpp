#include "core/twips.h"
#include "core/version_line.h"
#include "ui/about_box.h"
#include "ui/program_icon.h"
#include "version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QLabel *label(QWidget *box, const char *name)
{
    return box->findChild<QLabel *>(QLatin1String(name));
}

// The time the About box should show for a file, read straight from it.
QDateTime fileCreationTime(const QString &path)
{
    const QFileInfo info(path);
    return info.birthTime().isValid() ? info.birthTime() : info.lastModified();
}

int channelDistance(QRgb a, QColor b)
{
    return qAbs(qRed(a) - b.red()) + qAbs(qGreen(a) - b.green()) + qAbs(qBlue(a) - b.blue());
}

bool hasColour(const QImage &image, QColor colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255 && channelDistance(pixel, colour) < 60)
                return true;
        }
    }
    return false;
}

} // namespace

class TestAboutBox : public QObject
{
    Q_OBJECT

private slots:
    void versionLine_data();
    void versionLine();
    void programVersionLineIsThisBuild();

    void programFileIsTheFixedNameWhenPresent();
    void programFileFallsBackToOwnFile();
    void creationTimeOfRealFile();
    void createdLineUsesShortFormat();

    void window();
    void labels_data();
    void labels();
    void showsVersionAndCreationOfProgramFile();
    void twoOpeningsShowTheSameText();
    void escapeClosesIt();
    void centredOnOwner();

    void programIcon_data();
    void programIcon();
};

void TestAboutBox::versionLine_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("line");

    QTest::newRow("3.0.0") << 3 << 0 << 0 << "Version 3.0.0";
    QTest::newRow("3.0.12") << 3 << 0 << 12 << "Version 3.0.12";
    QTest::newRow("10.20.300") << 10 << 20 << 300 << "Version 10.20.300";
}

void TestAboutBox::versionLine()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, line);
    QCOMPARE(::versionLine(major, minor, revision), line);
}

void TestAboutBox::programVersionLineIsThisBuild()
{
    QCOMPARE(Version::major, 3);
    QCOMPARE(Version::minor, 0);
    QCOMPARE(Version::revision, 0);
    QCOMPARE(programVersionLine(), QStringLiteral("Version 3.0.0"));
}

void TestAboutBox::programFileIsTheFixedNameWhenPresent()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fixed = dir.filePath(QStringLiteral("varnokterm.exe"));
    QFile file(fixed);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QCOMPARE(QFileInfo(programFileForAbout(dir.path(), QStringLiteral("/elsewhere/own"))),
             QFileInfo(fixed));
}

void TestAboutBox::programFileFallsBackToOwnFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString own = QCoreApplication::applicationFilePath();
    QCOMPARE(programFileForAbout(dir.path(), own), own);

    // A folder of that name is no program file.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("varnokterm.exe")));
    QCOMPARE(programFileForAbout(dir.path(), own), own);
}

void TestAboutBox::creationTimeOfRealFile()
{
    const QString own = QCoreApplication::applicationFilePath();
    const QDateTime created = programFileCreated(own);
    QVERIFY(created.isValid());
    QCOMPARE(created, fileCreationTime(own));
    // The file is older than this run.
    QVERIFY(created <= QDateTime::currentDateTime());

    // A file with a known time: where the file system keeps no creation
    // time, the last write stands in for it.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("varnokterm.exe")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QDateTime written(QDate(2001, 2, 3), QTime(4, 5, 6));
    QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
    file.close();
    const QDateTime known = programFileCreated(file.fileName());
    if (QFileInfo(file.fileName()).birthTime().isValid())
        QCOMPARE(known, QFileInfo(file.fileName()).birthTime());
    else
        QCOMPARE(known, written);
    QCOMPARE(programFileCreated(dir.filePath(QStringLiteral("no-such-file"))).isValid(), false);
}

void TestAboutBox::createdLineUsesShortFormat()
{
    const QDateTime time(QDate(2026, 11, 30), QTime(17, 45));
    QCOMPARE(createdLine(time),
             QStringLiteral("Created ") + QLocale().toString(time, QLocale::ShortFormat));

    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString american = createdLine(time);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = createdLine(time);
    QLocale::setDefault(previous);
    QVERIFY2(american.startsWith(QStringLiteral("Created 11/30/26")), qPrintable(american));
    QVERIFY2(german.startsWith(QStringLiteral("Created 30.11.26")), qPrintable(german));
    QVERIFY2(german.endsWith(QStringLiteral("17:45")), qPrintable(german));
}

void TestAboutBox::window()
{
    QPointer<AboutBox> box = new AboutBox;
    QCOMPARE(box->objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(box->windowTitle(), QStringLiteral("About"));
    QVERIFY(box->isWindow());
    QCOMPARE(box->windowModality(), Qt::NonModal);
    QCOMPARE(box->size(), QSize(250, 172));
    QCOMPARE(box->minimumSize(), box->maximumSize());
    QVERIFY(box->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(box->windowIcon().pixmap(32).toImage(), ::programIcon().pixmap(32).toImage());
    // No buttons, no input.
    QCOMPARE(box->findChildren<QWidget *>().size(), 4);
    box->show();
    QVERIFY(box->close());
    QTRY_VERIFY(box.isNull());
}

void TestAboutBox::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("alignment");

    QTest::newRow("lblName") << "lblName" << twipsRect(720, 240, 2292, 252)
                             << int(Qt::AlignHCenter);
    QTest::newRow("lblCoprright") << "lblCoprright" << twipsRect(480, 840, 2895, 255)
                                  << int(Qt::AlignLeft);
    QTest::newRow("lblVersion") << "lblVersion" << twipsRect(960, 1320, 1815, 255)
                                << int(Qt::AlignHCenter);
    QTest::newRow("lblDate") << "lblDate" << twipsRect(240, 1920, 3255, 255)
                             << int(Qt::AlignHCenter);
}

void TestAboutBox::labels()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(int, alignment);

    AboutBox box;
    QLabel *control = label(&box, qPrintable(name));
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(int(control->alignment() & Qt::AlignHorizontal_Mask), alignment);
    // Every line fits its label.
    QVERIFY2(control->fontMetrics().horizontalAdvance(control->text()) <= control->width(),
             qPrintable(control->text()));
}

void TestAboutBox::showsVersionAndCreationOfProgramFile()
{
    AboutBox box;
    QCOMPARE(label(&box, "lblName")->text(), QStringLiteral("Varnok Terminal"));
    QCOMPARE(label(&box, "lblCoprright")->text(),
             QStringLiteral("Copyright \u00a9 2026 Varnok Instruments"));
    QCOMPARE(label(&box, "lblVersion")->text(), QStringLiteral("Version 3.0.0"));

    // The test program has no varnokterm.exe beside it, so its own file is dated.
    QVERIFY(!QFile::exists(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("varnokterm.exe"))));
    const QDateTime created = fileCreationTime(QCoreApplication::applicationFilePath());
    QCOMPARE(label(&box, "lblDate")->text(),
             QStringLiteral("Created ") + QLocale().toString(created, QLocale::ShortFormat));
}

void TestAboutBox::twoOpeningsShowTheSameText()
{
    QString first;
    {
        AboutBox box;
        first = label(&box, "lblDate")->text();
    }
    QVERIFY(first.startsWith(QStringLiteral("Created ")));
    AboutBox second;
    QCOMPARE(label(&second, "lblDate")->text(), first);
    QCOMPARE(label(&second, "lblVersion")->text(), QStringLiteral("Version 3.0.0"));
}

void TestAboutBox::centredOnOwner()
{
    QWidget owner;
    owner.setGeometry(120, 90, 700, 500);
    owner.show();
    auto *box = new AboutBox(&owner);
    box->show();
    const QPoint offset = box->geometry().center() - owner.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 40,
             qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
}

void TestAboutBox::programIcon_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("16") << 16;
    QTest::newRow("32") << 32;
    QTest::newRow("48") << 48;
    QTest::newRow("256") << 256;
}

void TestAboutBox::programIcon()
{
    QFETCH(int, size);
    const QIcon icon = ::programIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(size, size));
    // Rounded corners are see-through; the body is dark; both traces show.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
    const QRgb body = image.pixel(size / 8 + 2, size / 2);
    QCOMPARE(qAlpha(body), 255);
    QVERIFY(qGray(body) < 80);
    QVERIFY(hasColour(image, QColor(0x3d, 0xdc, 0x84)));
    QVERIFY(hasColour(image, QColor(0xff, 0xb3, 0x00)));
}

void TestAboutBox::escapeClosesIt()
{
    QPointer<AboutBox> box = new AboutBox;
    box->show();
    QApplication::setActiveWindow(box);
    QVERIFY(QTest::qWaitForWindowActive(box));
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_VERIFY(box.isNull()); // closed and deleted
}

QTEST_MAIN(TestAboutBox)
#include "tst_about_box.moc"
