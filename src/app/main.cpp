#include "app/program_start.h"
#include "core/pane_spill.h"
#include "version.h"
#include "ui/window_font.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VarnokTerm"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(Version::major).arg(Version::minor).arg(Version::revision));
    QApplication::setDesktopFileName(QStringLiteral("varnokterm"));

    QApplication::setFont(windowFont());
    PaneSpill::removeLeftovers();

    ProgramStart program;
    program.start();
    return app.exec();
}
