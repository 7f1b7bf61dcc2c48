// Measures how VarnokTerm keeps up with its lines: pane appends, end-to-end
// capture from a pty and a 127.0.0.1 TCP peer, event-loop stalls, memory per
// shown character, and the read-everything-and-write-it-back pane method as
// the baseline. Prints one Markdown table.

#include "bench_table.h"
#include "recording_bench.h"
#include "stall_meter.h"
#include "stream_writer.h"

#include "core/byte_text.h"
#include "core/pane_text.h"
#include "devices/capture_session.h"
#include "devices/channel_link.h"
#include "ui/capture_pane.h"
#include "ui/channel_group.h"
#include "ui/display_window.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <functional>

namespace {

bool quick = false;
BenchTable table;

QByteArray randomBytes(qsizetype size, quint32 seed = 1)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    for (qsizetype i = size / 4 * 4; i < size; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

// Text such as a Hex capture: " 41 42 ..." without line breaks.
QByteArray hexText(qsizetype size)
{
    QByteArray out;
    ByteText::appendHexPieces(out, randomBytes(size / 3 + 1), " ", {});
    out.truncate(size);
    return out;
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// Runs the event loop until `done` or `timeoutMs`; true when done.
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QString mb(double bytesPerSecond)
{
    return QString::number(bytesPerSecond / 1e6, 'f', 2) + " MB/s";
}

// A pane and its view, as the main window shows them.
struct ShownPane
{
    PaneText text;
    CapturePane view;
    ShownPane()
    {
        view.setModel(&text);
        view.resize(313, 169);
        view.show();
    }
};

// Appends `total` characters in pieces of `piece`, giving the view a frame
// every 16 ms as a running program would. Returns characters per second.
double appendRate(ShownPane &pane, qsizetype piece, qsizetype total)
{
    const QByteArray chunk = hexText(piece);
    QElapsedTimer clock, frame;
    clock.start();
    frame.start();
    for (qsizetype done = 0; done < total; done += piece) {
        pane.text.append(chunk);
        if (frame.elapsed() >= 16) {
            QCoreApplication::processEvents();
            frame.restart();
        }
    }
    QCoreApplication::processEvents();
    return total / (clock.nsecsElapsed() / 1e9);
}

void paneAppends()
{
    const qsizetype mega = 1000 * 1000;
    const QList<qsizetype> prefills =
        quick ? QList<qsizetype>{0, 2 * mega} : QList<qsizetype>{0, 10 * mega, 50 * mega};
    double emptyRate = 0, fullRate = 0;
    for (const qsizetype piece : {qsizetype(64), qsizetype(4096), qsizetype(65536)}) {
        for (const qsizetype prefill : prefills) {
            ShownPane pane;
            pane.text.setText(hexText(prefill));
            QCoreApplication::processEvents();
            const qsizetype total = quick ? 2 * mega : 32 * mega;
            const double rate = appendRate(pane, piece, total);
            if (piece == 64 && prefill == 0)
                emptyRate = rate;
            if (piece == 64 && prefill == prefills.last())
                fullRate = rate;
            table.row(QStringLiteral("pane append, %1 B pieces, pane holding %2 MB")
                          .arg(piece)
                          .arg(prefill / mega),
                      QString::number(rate / 1e6, 'f', 1) + " M chars/s",
                      QStringLiteral(">= 30 M chars/s"), rate >= 30e6);
        }
    }
    table.row(QStringLiteral("64 B appends: %1 MB pane vs empty").arg(prefills.last() / mega),
              QString::number(emptyRate / fullRate, 'f', 2) + "x slower", QStringLiteral("<= 1.5x"),
              emptyRate / fullRate <= 1.5);
}

void memoryPerCharacter()
{
    const qsizetype size = quick ? 5 * 1000 * 1000 : 50 * 1000 * 1000;
    const qint64 before = residentBytes();
    {
        ShownPane pane;
        const QByteArray chunk = hexText(65536);
        for (qsizetype done = 0; done < size; done += chunk.size())
            pane.text.append(chunk);
        QCoreApplication::processEvents();
        pane.view.flushPendingUpdate();
        const double perChar = double(residentBytes() - before) / pane.text.size();
        table.row(
            QStringLiteral("resident memory per shown character at %1 MB").arg(size / 1000000),
            QString::number(perChar, 'f', 2) + " bytes", QStringLiteral("<= 2 bytes"),
            perChar <= 2.0);

        // Repainting a big pane scrolled to the bottom.
        pane.view.resize(313, 169);
        QElapsedTimer clock;
        qint64 longest = 0;
        for (int i = 0; i < 50; ++i) {
            clock.start();
            pane.view.viewport()->repaint();
            longest = qMax(longest, clock.nsecsElapsed());
        }
        table.row(
            QStringLiteral("longest repaint of a %1 MB pane at the bottom").arg(size / 1000000),
            QString::number(longest / 1e6, 'f', 2) + " ms", QStringLiteral("<= 16 ms"),
            longest <= 16e6);
    }
}

void baseline()
{
    // The classic method: read the pane's whole text, write it back with the
    // new piece, into a QPlainTextEdit.
    const QByteArray piece = hexText(64);
    for (const qsizetype size : {qsizetype(100 * 1000), qsizetype(1000 * 1000)}) {
        QPlainTextEdit edit;
        edit.resize(313, 169);
        edit.show();
        edit.setPlainText(QString::fromLatin1(hexText(size)));
        QCoreApplication::processEvents();
        const int rounds = size > 500000 ? 3 : 10;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < rounds; ++i) {
            edit.setPlainText(edit.toPlainText() + QString::fromLatin1(piece));
            QCoreApplication::processEvents();
        }
        const double classicNs = double(clock.nsecsElapsed()) / rounds;

        ShownPane pane;
        pane.text.setText(hexText(size));
        QCoreApplication::processEvents();
        const int ours = 20000;
        clock.start();
        QElapsedTimer frame;
        frame.start();
        for (int i = 0; i < ours; ++i) {
            pane.text.append(piece);
            if (frame.elapsed() >= 16) {
                QCoreApplication::processEvents();
                frame.restart();
            }
        }
        QCoreApplication::processEvents();
        const double oursNs = double(clock.nsecsElapsed()) / ours;
        const double ratio = classicNs / oursNs;
        table.row(
            QStringLiteral("64 B append at %1 kB: read-all-write-back vs ours").arg(size / 1000),
            QStringLiteral("%1 ms vs %2 us: %3x")
                .arg(classicNs / 1e6, 0, 'f', 2)
                .arg(oursNs / 1e3, 0, 'f', 3)
                .arg(ratio, 0, 'f', 0),
            size >= 1000000 ? QStringLiteral(">= 1000x") : QString(),
            size >= 1000000 ? int(ratio >= 1000) : -1);
    }
}

// --- End to end -----------------------------------------------------------

struct Program
{
    CaptureSession session;
    DisplayWindow window{session};
    Program()
    {
        session.setSignOnDefaults();
        window.load();
        window.show();
    }
    ChannelGroup &channel(int n) { return window.controls()->group(n); }
    void choose(int n, const char *display, const char *format)
    {
        const QString suffix = QString::number(n);
        window.findChild<QRadioButton *>(QLatin1String(display) + suffix)->click();
        window.findChild<QRadioButton *>(QLatin1String(format) + suffix)->click();
    }
};

// What the pane should show for `data`, shown in one piece.
QByteArray expectedText(const QByteArray &data, const QString &format, bool tcp, bool realTime)
{
    QByteArray out;
    if (format == QLatin1String("optASCII"))
        return data;
    const bool socketLayout = tcp && realTime;
    if (format == QLatin1String("optHex")) {
        if (socketLayout)
            ByteText::appendHexPieces(out, data, {}, " ");
        else
            ByteText::appendHexPieces(out, data, " ", {});
    } else if (socketLayout) {
        ByteText::appendDecimalPieces(out, data, {}, " ");
    } else {
        // Serial "Real Time" puts two spaces before each number.
        ByteText::appendDecimalPieces(out, data, realTime ? "  " : " ", {});
    }
    return out;
}

struct Pty
{
    int master = -1, slave = -1;
    QString path;
    Pty()
    {
        char name[256] = {};
        openpty(&master, &slave, name, nullptr, nullptr);
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        ::close(master);
        ::close(slave);
    }
};

struct Listener
{
    int fd = -1;
    quint16 port = 0;
    Listener()
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // this machine only
        ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::listen(fd, 1);
        socklen_t len = sizeof addr;
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
        port = ntohs(addr.sin_port);
    }
    ~Listener() { ::close(fd); }
};

struct Source
{
    bool tcp = false;
    std::unique_ptr<Pty> pty;
    std::unique_ptr<Listener> listener;
    int peer = -1;
    ~Source()
    {
        if (peer >= 0)
            ::close(peer);
    }
};

// Switches the channel on to a fresh source; returns the fd to write to.
int attach(Program &program, Source &source)
{
    if (!source.tcp) {
        source.pty = std::make_unique<Pty>();
        program.channel(2).cmbPort->setEditText(source.pty->path);
        program.channel(2).optOn->click();
        return source.pty->master;
    }
    source.listener = std::make_unique<Listener>();
    program.channel(1).cmbPort->setEditText(QStringLiteral("TCP"));
    program.channel(1).txtHost->setText(QStringLiteral("127.0.0.1"));
    program.channel(1).txtPort->setText(QString::number(source.listener->port));
    program.channel(1).optOn->click();
    QElapsedTimer clock;
    clock.start();
    fcntl(source.listener->fd, F_SETFL, O_NONBLOCK);
    while (source.peer < 0 && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        source.peer = ::accept(source.listener->fd, nullptr, nullptr);
    }
    return source.peer;
}

void endToEnd()
{
    const qsizetype size = quick ? 256 * 1024 : 8 * 1024 * 1024;
    for (const bool tcp : {false, true}) {
        for (const char *display : {"optRT", "optTO"}) {
            for (const char *format : {"optASCII", "optHex", "optDec"}) {
                Program program;
                const int n = tcp ? 1 : 2;
                program.session.channel(1).module().intTimeOut = 20;
                program.session.channel(2).module().intTimeOut = 20;
                program.choose(n, display, format);
                Source source;
                source.tcp = tcp;
                const int fd = attach(program, source);
                const QByteArray data = randomBytes(size, 7);
                const bool realTime = QLatin1String(display) == QLatin1String("optRT");
                const QByteArray expected =
                    expectedText(data, QLatin1String(format), tcp, realTime);
                PaneText &pane = program.session.channel(n).pane();

                QElapsedTimer clock;
                clock.start();
                StreamWriter writer(fd, data, 4096, 0);
                writer.start();
                const bool complete =
                    runUntil([&] { return pane.size() >= expected.size(); }, 120000);
                const double seconds = clock.nsecsElapsed() / 1e9;
                writer.join();
                const bool exact = complete && pane.text() == expected;
                table.row(QStringLiteral("end to end, %1, %2, %3, %4 MB")
                              .arg(tcp ? "TCP 127.0.0.1" : "pty")
                              .arg(QLatin1String(display) == QLatin1String("optRT") ? "Real Time"
                                                                                    : "Time Out")
                              .arg(QLatin1String(format).mid(3))
                              .arg(size / 1048576.0, 0, 'f', 2),
                          mb(size / seconds) + (exact ? ", complete" : ", **INCOMPLETE**"));
            }
        }
    }
}

// 64-byte batches paced like a USB full-speed CDC device, Hex "Real Time".
void pacedBatches()
{
    const double rate = 1.2e6;
    const qsizetype size = quick ? 600000 : 3600000;
    for (const bool tcp : {false, true}) {
        Program program;
        const int n = tcp ? 1 : 2;
        program.choose(n, "optRT", "optHex");
        Source source;
        source.tcp = tcp;
        const int fd = attach(program, source);
        PaneText &pane = program.session.channel(n).pane();
        const int perByte = 3;
        StreamWriter writer(fd, randomBytes(size, 3), 64, rate);
        QElapsedTimer clock;
        clock.start();
        writer.start();
        qint64 worstLag = 0;
        runUntil(
            [&] {
                worstLag = qMax(worstLag, writer.written() - pane.size() / perByte);
                return writer.finished();
            },
            60000);
        const double writeSeconds = clock.nsecsElapsed() / 1e9;
        QElapsedTimer drain;
        drain.start();
        runUntil([&] { return pane.size() >= size * perByte; }, 30000);
        const double drainMs = drain.nsecsElapsed() / 1e6;
        writer.join();
        table.row(
            QStringLiteral("64 B batches at %1, Hex Real Time, %2")
                .arg(mb(rate))
                .arg(tcp ? "TCP" : "pty"),
            QStringLiteral("sent at %1; worst backlog %2 B; drained %3 ms after the last byte")
                .arg(mb(size / writeSeconds))
                .arg(worstLag)
                .arg(drainMs, 0, 'f', 1),
            QStringLiteral("keeps up, no backlog"), drainMs < 50);
    }
}

// The longest stall of the event loop while a peer streams Hex at 10 MB/s.
void stallUnderLoad()
{
    const double rate = 10e6;
    const qsizetype size = quick ? 5000000 : 30000000;
    Program program;
    program.choose(1, "optRT", "optHex");
    Source source;
    source.tcp = true;
    const int fd = attach(program, source);
    PaneText &pane = program.session.channel(1).pane();
    StallMeter meter;
    StreamWriter writer(fd, randomBytes(size, 5), 16384, rate);
    meter.start();
    QElapsedTimer clock;
    clock.start();
    writer.start();
    runUntil([&] { return pane.size() >= size * 3; }, 120000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    meter.stop();
    writer.join();
    table.row(QStringLiteral("longest UI stall, TCP Hex Real Time at %1").arg(mb(rate)),
              QStringLiteral("%1 ms, %4 ms into the run (took %2 s for %3 MB)")
                  .arg(meter.longestMs(), 0, 'f', 1)
                  .arg(seconds, 0, 'f', 2)
                  .arg(size / 1e6)
                  .arg(meter.longestAtMs(), 0, 'f', 0),
              QStringLiteral("<= 16 ms"), meter.longestMs() <= 16);
}

void recording()
{
    recordingBench(table, quick);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quick = app.arguments().contains(QStringLiteral("--quick"));

    // --only NAME runs one section: appends, memory, baseline, paced, stall, e2e,
    // recording.
    const qsizetype only = app.arguments().indexOf(QStringLiteral("--only"));
    const QString section = only > 0 ? app.arguments().value(only + 1) : QString();
    const QList<std::pair<QString, void (*)()>> sections = {
        {QStringLiteral("appends"), paneAppends},  {QStringLiteral("memory"), memoryPerCharacter},
        {QStringLiteral("baseline"), baseline},    {QStringLiteral("paced"), pacedBatches},
        {QStringLiteral("stall"), stallUnderLoad}, {QStringLiteral("e2e"), endToEnd},
        {QStringLiteral("recording"), recording}};
    table.header();
    for (const auto &[name, run] : sections)
        if (section.isEmpty() || section == name)
            run();
    return 0;
}
