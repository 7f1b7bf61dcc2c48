#include "app/command_line.h"

#include "app/qt_options.h"
#include "version.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

const char *const description =
    R"(VarnokTerm shows what instruments send on two serial ports, or on a TCP
connection, as text, decimal or hex: in real time, line by line, or in bursts
separated by a quiet time-out. It sends typed text or hex bytes, and prints
what channel 1 received.

Without options it opens its window. Given a setup file (one saved with
File > Save Setup As..., ending in .vterm), it starts with that setup: both
channels' ports, modes and values and the serial settings, with the channels
that were on when it was saved switched on; --record starts recordings
there too, shown in the Capture menu. Qt's own options, such as -style NAME,
work as in every Qt program.

With --headless it opens no window and needs no display: it switches on the
setup's channels that are On, records what --record asks for and runs the
--script, ending with its status (0, or 1 after a failed expect or an
error); with no script it captures until SIGTERM or SIGINT.)";

} // namespace

CommandLine::CommandLine()
    : m_help({QStringLiteral("h"), QStringLiteral("help")},
             QStringLiteral("Show these options and end."))
    , m_version({QStringLiteral("v"), QStringLiteral("version")},
                QStringLiteral("Show the program's version and end."))
    , m_headless(QStringLiteral("headless"),
                 QStringLiteral("Run without a window: switch on the setup's channels that are "
                                "On, record, run the script, and end with it (or at SIGTERM)."))
    , m_script(QStringLiteral("script"),
               QStringLiteral("Run a JavaScript file that drives the channels."),
               QStringLiteral("file"))
    , m_record(QStringLiteral("record"),
               QStringLiteral("Record to a file, in the window or with --headless; KIND is "
                              "raw, shown or log with a channel's number (raw2), or log alone "
                              "for both channels; csv with a channel's number (csv1, headless "
                              "only) writes its plot data when the run ends. May be given more "
                              "than once."),
               QStringLiteral("KIND:file"))
    , m_allowListen(QStringLiteral("allow-listen-beyond-loopback"),
                    QStringLiteral("With --headless: let a TCP Listen channel of the setup listen "
                                   "at * or another address beyond 127.0.0.1 and ::1 (refused "
                                   "otherwise)."))
{
    // "-reverse" is Qt's option, not -r -e -v -e -r -s -e.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setApplicationDescription(QString::fromUtf8(description));
    m_parser.addOption(m_help);
    m_parser.addOption(m_version);
    m_parser.addOption(m_headless);
    m_parser.addOption(m_script);
    m_parser.addOption(m_record);
    m_parser.addOption(m_allowListen);
    m_parser.addPositionalArgument(QStringLiteral("setup"),
                                   QStringLiteral("A setup file (.vterm) to start with."),
                                   QStringLiteral("[setup.vterm]"));
}

std::optional<int> CommandLine::answerAtOnce(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Qt's own options are set aside here; QApplication takes them later.
    const bool parsed = m_parser.parse(withoutQtOptions(arguments));
    const QString error = !parsed ? m_parser.errorText()
                          : m_parser.positionalArguments().size() > 1
                              ? QStringLiteral("More than one setup file: %1. Give at most one.")
                                    .arg(m_parser.positionalArguments().join(QStringLiteral(", ")))
                              : QString();
    // A mistyped command line ends before any window, as GNU programs do:
    // status 2, and the reason on standard error.
    if (!error.isEmpty()) {
        const QString message =
            QStringLiteral("varnokterm: %1\nTry 'varnokterm --help' for the options.\n").arg(error);
        std::fputs(message.toLocal8Bit().constData(), stderr);
        return 2;
    }
    if (!m_parser.isSet(m_help) && !m_parser.isSet(m_version))
        return std::nullopt;

    // The parser reads the usage line's program name from the application
    // object: the command's own name, not the path it was started by. A
    // console one needs no display.
    char name[] = "varnokterm";
    char *consoleArgv[] = {name, nullptr};
    int consoleArgc = 1;
    const QCoreApplication console(consoleArgc, consoleArgv);
    // The GNU form: the program's name and version, then the copyright.
    const QString answer =
        m_parser.isSet(m_version)
            ? QStringLiteral("varnokterm %1.%2.%3\nCopyright (C) 2026 Varnok Instruments\n")
                  .arg(Version::major)
                  .arg(Version::minor)
                  .arg(Version::revision)
            : m_parser.helpText();
    std::fputs(answer.toLocal8Bit().constData(), stdout);
    return 0;
}

QString CommandLine::script() const
{
    const QString path = m_parser.value(m_script);
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

QString CommandLine::setupFile(const QStringList &arguments)
{
    // Qt may leave an option of its list that the platform in use does not read.
    m_parser.parse(withoutQtOptions(arguments));
    const QString path = m_parser.positionalArguments().value(0);
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}
