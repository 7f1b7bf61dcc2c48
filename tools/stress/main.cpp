// varnok-stress: pushes random bytes through a pseudo-terminal into channel 2
// and through a 127.0.0.1 TCP connection into channel 1 of the real main
// window (offscreen unless a platform is chosen), in ASCII and in Hex, and
// checks that the receive panes show every byte exactly.
#include "stress_case.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns about window hints it can't pass on; that
// says nothing about the run.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")) && previousHandler)
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnok-stress"));
    QApplication::setApplicationVersion(QStringLiteral(VARNOK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Streams random bytes into VarnokTerm's receive panes and checks them."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption ptyOption(QStringLiteral("pty-mb"),
                                       QStringLiteral("MB sent through the pty (default 10)."),
                                       QStringLiteral("MB"), QStringLiteral("10"));
    const QCommandLineOption tcpOption(QStringLiteral("tcp-mb"),
                                       QStringLiteral("MB sent over TCP (default 100)."),
                                       QStringLiteral("MB"), QStringLiteral("100"));
    parser.addOption(ptyOption);
    parser.addOption(tcpOption);
    parser.process(app);

    QTextStream out(stdout);
    bool ok = false;
    const double ptyMb = parser.value(ptyOption).toDouble(&ok);
    if (!ok || ptyMb < 0) {
        out << "--pty-mb needs a number of MB\n";
        return 2;
    }
    const double tcpMb = parser.value(tcpOption).toDouble(&ok);
    if (!ok || tcpMb < 0) {
        out << "--tcp-mb needs a number of MB\n";
        return 2;
    }

    QList<StressCase> cases;
    quint32 seed = 1;
    for (bool hex : {false, true}) {
        if (ptyMb > 0)
            cases.append({StressCase::Source::Pty, hex, qint64(ptyMb * (1 << 20)), seed++});
        if (tcpMb > 0)
            cases.append({StressCase::Source::Tcp, hex, qint64(tcpMb * (1 << 20)), seed++});
    }

    out << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("case"), -26)
               .arg(QStringLiteral("bytes"), 12)
               .arg(QStringLiteral("seconds"), 9)
               .arg(QStringLiteral("MB/s"), 8)
               .arg(QStringLiteral("exact"));
    out.flush();
    bool allExact = true;
    for (const StressCase &c : cases) {
        const StressResult r = runStressCase(c);
        allExact = allExact && r.exact;
        const double mbPerSecond = r.seconds > 0 ? r.bytes / double(1 << 20) / r.seconds : 0;
        out << QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(r.name, -26)
                   .arg(r.bytes, 12)
                   .arg(r.seconds, 9, 'f', 2)
                   .arg(mbPerSecond, 8, 'f', 1)
                   .arg(r.exact ? QStringLiteral("yes") : QStringLiteral("no: ") + r.note);
        out.flush();
    }
    out << "(MB = 1,048,576 bytes; each case runs in \"Real Time\" display mode)\n";
    return allExact ? 0 : 1;
}
