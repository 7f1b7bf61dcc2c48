#include "ui/about_box.h"

#include "core/version_line.h"
#include "ui/form.h"
#include "ui/program_icon.h"
#include "ui/window_font.h"
#include "ui/window_placement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QScreen>

namespace {

namespace aboutLayout {
// clang-format off
constexpr int windowWidth = 3750;
constexpr int windowHeight = 2580;
const Place lblNamePlace{720, 240, 2292, 252};
const Place lblCoprrightPlace{480, 840, 2895, 255};
const Place lblVersionPlace{960, 1320, 1815, 255};
const Place lblDatePlace{240, 1920, 3255, 255};
// clang-format on
} // namespace aboutLayout

} // namespace

QString programFileForAbout(const QString &dir, const QString &ownFile)
{
    const QString fixedName = QDir(dir).filePath(QStringLiteral("varnokterm.exe"));
    if (QFileInfo(fixedName).isFile())
        return fixedName;
    return ownFile;
}

QDateTime programFileCreated(const QString &path)
{
    const QFileInfo info(path);
    const QDateTime born = info.birthTime();
    return born.isValid() ? born : info.lastModified();
}

QString createdLine(const QDateTime &created)
{
    return AboutBox::tr("Created %1").arg(QLocale().toString(created, QLocale::ShortFormat));
}

AboutBox::AboutBox(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("About"));
    setWindowIcon(programIcon());
    setFont(windowFont());
    setFixedSize(twipsSize(aboutLayout::windowWidth, aboutLayout::windowHeight));

    lblName = placeLabel(this, "lblName", QStringLiteral("Varnok Terminal"), Qt::AlignHCenter,
                         aboutLayout::lblNamePlace);
    lblCoprright =
        placeLabel(this, "lblCoprright", QStringLiteral("Copyright \u00a9 2026 Varnok Instruments"),
                   Qt::AlignLeft, aboutLayout::lblCoprrightPlace);
    lblVersion = placeLabel(this, "lblVersion", QStringLiteral("Version"), Qt::AlignHCenter,
                            aboutLayout::lblVersionPlace);
    lblDate = placeLabel(this, "lblDate", QStringLiteral("Date"), Qt::AlignHCenter,
                         aboutLayout::lblDatePlace);

    load();
    centreOnOwner(this);
    // It has no buttons; Escape closes it like its close box.
    closeOnEscape(this, [this] { close(); });
}

void AboutBox::load()
{
    const QString file = programFileForAbout(QCoreApplication::applicationDirPath(),
                                             QCoreApplication::applicationFilePath());
    lblVersion->setText(programVersionLine());
    lblDate->setText(createdLine(programFileCreated(file)));
}

#include "moc_about_box.cpp"
