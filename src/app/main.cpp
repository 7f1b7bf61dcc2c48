#include "app/command_line.h"
#include "app/program_start.h"
#include "app/program_translations.h"
#include "ui/window_font.h"
#include "version.h"

#include "app/headless_run.h"
#include "devices/setup_file.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    CommandLine commandLine;
    if (const auto status = commandLine.answerAtOnce(argc, argv))
        return *status;

    if (commandLine.headless()) {
        // No QApplication: no display, no platform plugin.
        const QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("VarnokTerm"));
        const QString setup = commandLine.setupFile(QCoreApplication::arguments());
        if (setup.isEmpty()) {
            std::fputs("varnokterm: --headless needs a setup file (.vterm)\n", stderr);
            return 1;
        }
        HeadlessRun run(SetupFile::channelCountOf(setup));
        return run.exec({setup, commandLine.script(), commandLine.records(),
                         commandLine.allowsListeningBeyondLoopback()});
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VarnokTerm"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(Version::major).arg(Version::minor).arg(Version::revision));
    QApplication::setDesktopFileName(QStringLiteral("com.varnok.varnokterm"));

    QApplication::setFont(windowFont());
    installProgramTranslations(QLocale::system());

    const QString setup = commandLine.setupFile(QApplication::arguments());
    ProgramStart program(setup.isEmpty() ? defaultChannelCount : SetupFile::channelCountOf(setup));
    program.setSetupFile(setup);
    program.setScriptFile(commandLine.script());
    program.setRecords(commandLine.records());
    return program.exec();
}
