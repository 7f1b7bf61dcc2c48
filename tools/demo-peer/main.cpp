// varnok-demo-peer: a pretend instrument for trying VarnokTerm without
// hardware, over TCP on 127.0.0.1 or over a pseudo-terminal.

#include "core/stop_signals.h"
#include "pty_demo.h"
#include "tcp_demo.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <optional>

namespace {

constexpr quint16 defaultPort = 9761;

// %1 port, %2 line interval, %3 lines per frame, %4 quiet gap.
const char *const description = R"(A pretend instrument for trying VarnokTerm without hardware.

Its sample data shows off the display modes. Every %2 ms it sends a reading
line ending in CR LF, such as "T=23.41C P=1013.2hPa RH=41%", with slowly
drifting values. Each line's LF leads the next write, so every write ends in
CR and "After CR" shows the lines as they come. After every %3 lines it sends
a binary frame of 8 to 40 bytes (0x02, random bytes, 0x03) followed by %4 ms
of quiet: "Time Out" shows each burst on its own, "Hex" and "Decimal" show
the frame's bytes. Everything it receives is sent straight back (echo).

TCP (the default): listens on 127.0.0.1 only, port %1 unless --port says
otherwise. In VarnokTerm choose "TCP" in Comm Port 1's list; IP 127.0.0.1
and Socket %1 are its defaults; then choose On. Each client gets its own
stream.

Serial (--pty): makes a pseudo-terminal and prints its device path, such as
/dev/pts/3. Type that path into a Comm Port list of VarnokTerm, then choose
On. Data flows while the device is open.

Ctrl+C (SIGINT) or SIGTERM stops it; it exits with status 0.)";

std::optional<int> wholeNumber(const QCommandLineParser &parser, const QCommandLineOption &option,
                               int low, int high)
{
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < low || value > high) {
        std::fprintf(stderr, "varnok-demo-peer: --%s wants a whole number from %d to %d\n",
                     qPrintable(option.names().constFirst()), low, high);
        return std::nullopt;
    }
    return value;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnok-demo-peer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNOK_VERSION));

    const StreamTiming defaults;
    const QString port0 = QString::number(defaultPort);
    const QString interval0 = QString::number(defaults.lineIntervalMs);
    const QString frames0 = QString::number(defaults.linesPerFrame);
    const QString gap0 = QString::number(defaults.gapMs);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString::fromUtf8(description).arg(port0, interval0, frames0, gap0));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption ptyOption(
        QStringLiteral("pty"), QStringLiteral("Play a serial device on a new pseudo-terminal."));
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("TCP port on 127.0.0.1 (default %1).").arg(port0),
        QStringLiteral("N"), port0);
    const QCommandLineOption intervalOption(
        QStringLiteral("interval-ms"),
        QStringLiteral("Milliseconds between reading lines (default %1).").arg(interval0),
        QStringLiteral("MS"), interval0);
    const QCommandLineOption frameOption(
        QStringLiteral("frame-every"),
        QStringLiteral("Send a binary frame after every N lines (default %1; 0: never).")
            .arg(frames0),
        QStringLiteral("N"), frames0);
    const QCommandLineOption gapOption(
        QStringLiteral("gap-ms"),
        QStringLiteral("Milliseconds of quiet after each frame (default %1).").arg(gap0),
        QStringLiteral("MS"), gap0);
    parser.addOptions({ptyOption, portOption, intervalOption, frameOption, gapOption});
    parser.process(app);

    const auto port = wholeNumber(parser, portOption, 1, 65535);
    const auto interval = wholeNumber(parser, intervalOption, 1, 3600000);
    const auto frameEvery = wholeNumber(parser, frameOption, 0, 1000000);
    const auto gap = wholeNumber(parser, gapOption, 0, 3600000);
    if (!port || !interval || !frameEvery || !gap)
        return 2;
    const StreamTiming timing{*interval, *frameEvery, *gap};

    StopSignals stopSignals;
    if (!stopSignals.install()) {
        std::fprintf(stderr, "varnok-demo-peer: cannot catch Ctrl+C\n");
        return 1;
    }
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, &QCoreApplication::quit);

    std::optional<TcpDemo> tcp;
    std::optional<PtyDemo> pty;
    if (parser.isSet(ptyOption)) {
        pty.emplace(timing);
        if (!pty->open()) {
            std::fprintf(stderr, "varnok-demo-peer: cannot make a pseudo-terminal: %s\n",
                         qPrintable(pty->errorString()));
            return 1;
        }
        std::printf("Serial device: %s\n"
                    "Type this path into a Comm Port list of VarnokTerm, then choose On.\n"
                    "Ctrl+C stops.\n",
                    qPrintable(pty->devicePath()));
    } else {
        tcp.emplace(timing);
        if (!tcp->listen(quint16(*port))) {
            std::fprintf(stderr, "varnok-demo-peer: cannot listen on 127.0.0.1:%d: %s\n", *port,
                         qPrintable(tcp->errorString()));
            return 1;
        }
        std::printf("Listening on 127.0.0.1:%d\n"
                    "In VarnokTerm choose TCP in Comm Port 1's list, IP 127.0.0.1, Socket %d, "
                    "then On.\n"
                    "Ctrl+C stops.\n",
                    *port, *port);
    }
    std::fflush(stdout);

    const int status = app.exec();
    std::printf("Stopped.\n");
    return status;
}
