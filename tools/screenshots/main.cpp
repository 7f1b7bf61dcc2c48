// varnok-screenshots: makes the screenshots of the main window in docs/ from
// the real window, filled by a 127.0.0.1 peer and a pseudo-terminal:
//   main-window-resized.png  enlarged to 1100x800, channel 1 on TCP
//   main-window-german.png   in German, with the File menu open
//   port-list-names.png      channel 2's port list open, with a by-id name
//   plot-window.png          ten minutes of the demo peer's readings plotted
//   pane-terminal.png        channel 2 in the Terminal format on a coloured console
//   monitor-view.png         the monitor view of two pseudo-terminals, with times
// Offscreen unless QT_QPA_PLATFORM says otherwise (xcb under Xvfb works too).
#include "screenshot_window.h"

#include "devices/capture_session.h"
#include "sample_source.h"
#include "ui/capture_pane.h"
#include "ui/monitor_window.h"
#include "ui/plot_view.h"
#include "ui/plot_window.h"

#include "app/program_translations.h"
#include "support/pty_pair.h"
#include "ui/window_font.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns about window hints it can't pass on; that
// says nothing about the pictures.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")) && previousHandler)
        previousHandler(type, context, message);
}

bool save(const QPixmap &shot, const QDir &folder, const QString &name, QTextStream &out)
{
    const QString path = folder.filePath(name);
    // A palette of 256 colours keeps the file a quarter of the size; a
    // window's few colours and text greys fit it.
    const QImage image = shot.toImage().convertToFormat(QImage::Format_Indexed8,
                                                        Qt::ThresholdDither | Qt::AvoidDither);
    if (!image.save(path, "PNG", 9)) {
        out << "cannot write " << path << '\n';
        return false;
    }
    out << path << ' ' << shot.width() << 'x' << shot.height() << '\n';
    return true;
}

// The monitor view of two pseudo-terminals: channel 1 an instrument's
// readings, channel 2 a modem answering; each piece is written once the one
// before has arrived.
QPixmap monitorShot()
{
    CaptureSession session;
    session.setSignOnDefaults();
    PtyPair instrument;
    PtyPair modem;
    session.channel(1).switchOnSerial(instrument.slavePath(), session.serialSettings());
    session.channel(2).switchOnSerial(modem.slavePath(), session.serialSettings());
    MonitorWindow window(session, nullptr);
    window.findChild<QComboBox *>(QStringLiteral("cmbMonitorTimes"))->setCurrentIndex(1);
    SampleSource source(5);
    const QList<QByteArray> answers{"AT+CSQ\r\n", "+CSQ: 21,0\r\n", "OK\r\n", "RING", "\r\n"};
    for (int n = 0; n < 14; ++n) {
        PtyPair &pty = n % 3 == 2 ? modem : instrument;
        const QByteArray piece =
            &pty == &modem ? answers.at(n / 3 % answers.size()) : source.nextReading() + "\r\n";
        const qint64 held = window.monitor().store().byteCount() + piece.size();
        pty.write(piece);
        QDeadlineTimer due(3000);
        while (window.monitor().store().byteCount() < held && !due.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    window.resize(QSize(760, 330));
    window.show();
    window.pane()->flushPendingUpdate();
    return window.grab();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VarnokTerm"));
    // The program's own font, as main() sets it.
    QApplication::setFont(windowFont());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes the main window's screenshots for docs/."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Where the PNG files go (default: .)."));
    parser.process(app);
    const QDir folder(parser.positionalArguments().value(0, QStringLiteral(".")));

    QTextStream out(stdout);
    QString why;
    // Windows are made one after the other: a window takes its texts from
    // the translation installed when it is built.
    {
        installProgramTranslations(QLocale(QLocale::English));
        ScreenshotWindow window;
        if (!window.fill(&why)) {
            out << why << '\n';
            return 1;
        }
        window.resize(QSize(1100, 800));
        if (!save(window.grab(), folder, QStringLiteral("main-window-resized.png"), out))
            return 1;
    }
    {
        // A pseudo-terminal under the stable name a USB adapter would have;
        // the port lists read the folder named here.
        QTemporaryDir devices;
        const QString byId = devices.filePath(QStringLiteral("serial/by-id"));
        QDir().mkpath(byId);
        qputenv("VARNOK_SERIAL_BY_ID_DIR", QFile::encodeName(byId));
        PtyPair adapter;
        QFile::link(adapter.slavePath(),
                    byId + QStringLiteral("/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"));
        ScreenshotWindow window;
        if (!save(window.grabWithPortList(2), folder, QStringLiteral("port-list-names.png"), out))
            return 1;
        qunsetenv("VARNOK_SERIAL_BY_ID_DIR");
    }
    {
        ScreenshotWindow window;
        if (!window.fillTerminal(&why)) {
            out << why << '\n';
            return 1;
        }
        window.resize(QSize(1500, 860));
        if (!save(window.grabChannel(2), folder, QStringLiteral("pane-terminal.png"), out))
            return 1;
    }
    {
        // The German translation, loaded as the program loads it for a
        // German system locale.
        if (!installProgramTranslations(QLocale(QLocale::German, QLocale::Germany))) {
            out << "the German translation is not built into the program\n";
            return 1;
        }
        ScreenshotWindow window;
        if (!window.fill(&why)) {
            out << why << '\n';
            return 1;
        }
        if (!save(window.grabWithMenu(0), folder, QStringLiteral("main-window-german.png"), out))
            return 1;
    }
    {
        // Ten minutes of readings, one a second, with the pressure hidden so
        // temperature and humidity share a scale; the pointer reads out.
        installProgramTranslations(QLocale(QLocale::English));
        CaptureSession session;
        Channel &channel = session.channel(1);
        PlotWindow window(channel, nullptr);
        channel.plot().setFollowSeconds(0);
        SampleSource source(3);
        const qint64 start = QDateTime(QDate(2026, 12, 8), QTime(14, 0)).toMSecsSinceEpoch();
        for (int n = 0; n < 600; ++n)
            channel.plot().receive(source.nextReading() + "\r\n", start + n * 1000);
        window.view()->setSeriesShown("P", false);
        window.resize(QSize(900, 500));
        window.show();
        QMouseEvent move(QEvent::MouseMove, QPointF(560, 260), QPointF(560, 260), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window.view(), &move);
        if (!save(window.grab(), folder, QStringLiteral("plot-window.png"), out))
            return 1;
    }
    {
        installProgramTranslations(QLocale(QLocale::English));
        if (!save(monitorShot(), folder, QStringLiteral("monitor-view.png"), out))
            return 1;
    }
    return 0;
}
