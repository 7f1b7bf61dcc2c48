#include "app/command_line.h"
#include "app/program_start.h"
#include "ui/window_font.h"
#include "version.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    CommandLine commandLine;
    if (const auto status = commandLine.answerAtOnce(argc, argv))
        return *status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VarnokTerm"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(Version::major).arg(Version::minor).arg(Version::revision));
    QApplication::setDesktopFileName(QStringLiteral("com.varnok.varnokterm"));

    QApplication::setFont(windowFont());

    ProgramStart program;
    program.setSetupFile(commandLine.setupFile(QApplication::arguments()));
    return program.exec();
}
