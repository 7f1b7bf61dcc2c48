#include "ui/about_box.h"

#include "ui/program_icon.h"
#include "ui/twips.h"
#include "core/version_line.h"
#include "ui/window_font.h"
#include "ui/window_placement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QShortcut>

namespace {

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, QRect geometry,
                 Qt::Alignment alignment)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

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
    return QStringLiteral("Created ") + QLocale().toString(created, QLocale::ShortFormat);
}

AboutBox::AboutBox(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(programIcon());
    setFont(windowFont());
    setFixedSize(twipsSize(3750, 2580));

    lblName = addLabel(this, "lblName", QStringLiteral("Varnok Terminal"),
                       twipsRect(720, 240, 2292, 252), Qt::AlignHCenter);
    lblCoprright =
        addLabel(this, "lblCoprright", QStringLiteral("Copyright \u00a9 2026 Varnok Instruments"),
                 twipsRect(480, 840, 2895, 255), Qt::AlignLeft);
    lblVersion = addLabel(this, "lblVersion", QStringLiteral("Version"),
                          twipsRect(960, 1320, 1815, 255), Qt::AlignHCenter);
    lblDate = addLabel(this, "lblDate", QStringLiteral("Date"), twipsRect(240, 1920, 3255, 255),
                       Qt::AlignHCenter);

    load();
    centreOnOwner(this);
    // It has no buttons; Escape closes it like its close box.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void AboutBox::load()
{
    const QString file = programFileForAbout(QCoreApplication::applicationDirPath(),
                                             QCoreApplication::applicationFilePath());
    lblVersion->setText(programVersionLine());
    lblDate->setText(createdLine(programFileCreated(file)));
}
