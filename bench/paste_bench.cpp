#include "paste_bench.h"

#include "bench_table.h"
#include "devices/channel.h"
#include "devices/file_writer.h"
#include "devices/recording.h"
#include "devices/transmit_queue.h"
#include "process_memory.h"
#include "stall_meter.h"
#include "support/pty_pair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

// One paste; `logged`: while a Hex log records the channel's sent bytes.
void pasteOnce(BenchTable &table, bool quick, bool logged)
{
    const int lines = quick ? 500 : 3000;
    PtyPair pty;
    Channel channel(2, false);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("115200,n,8,1"));
    if (!channel.isOn()) {
        table.row(QStringLiteral("paste resend"), QStringLiteral("no pseudo-terminal"));
        return;
    }
    channel.setTransmitMode(TransmitMode::AfterCr);
    channel.setHexEntry(true);
    channel.setFormat(ReceiveFormat::Hex);
    QTemporaryDir dir;
    std::unique_ptr<Recording> log;
    if (logged) {
        auto writer = std::make_unique<FileWriter>(dir.filePath(QStringLiteral("paste.log")));
        if (writer->open(FileWriter::Existing::Replace, true))
            log = std::make_unique<Recording>(RecordKind::Log, QList<Channel *>{&channel},
                                              std::move(writer));
    }
    qint64 refused = 0;
    QObject::connect(&channel, &Channel::transmitRefused, [&](qint64 count) { refused += count; });

    // The device's side reads everything, as fast as it comes.
    std::atomic<bool> stop{false};
    std::atomic<qint64> received{0};
    std::thread reader([&] {
        char buffer[65536];
        while (!stop) {
            pollfd readable{pty.masterFd(), POLLIN, 0};
            if (::poll(&readable, 1, 20) <= 0)
                continue;
            const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
            if (n > 0)
                received += n;
        }
    });

    QByteArray paste;
    for (int line = 0; line < lines; ++line)
        paste += "41 42 43 44 45 46 47 48 49 4A\r"; // 30 characters, 10 bytes
    const qint64 wanted = qint64(10) * lines * (lines + 1) / 2;

    resetPeakMemory();
    const qint64 before = statusKb("VmRSS:");
    StallMeter meter;
    meter.start();
    QElapsedTimer clock;
    clock.start();
    channel.type(paste);
    const double handlerMs = clock.nsecsElapsed() / 1e6;
    while (received + refused < wanted && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double sendMs = clock.nsecsElapsed() / 1e6;
    meter.stop();
    if (log) {
        log->stop();
        log->writer().wait(); // the file is closed before its folder goes
    }
    const qint64 peak = statusKb("VmHWM:");
    const qint64 after = statusKb("VmRSS:");
    stop = true;
    reader.join();

    const QString name =
        QStringLiteral("%1-line hex paste, After CR (%2 KB typed)%3")
            .arg(lines)
            .arg(paste.size() / 1024)
            .arg(logged ? QStringLiteral(", sent bytes logged in Hex") : QString());
    table.row(name + QStringLiteral(": bytes sent + refused"),
              QStringLiteral("%1 + %2 of %3 (limit %4 MB waiting)")
                  .arg(received.load())
                  .arg(refused)
                  .arg(wanted)
                  .arg(channel.link().queue().limit() >> 20),
              QStringLiteral("all accounted for"), received + refused == wanted);
    table.row(name + QStringLiteral(": window held by the paste"),
              QStringLiteral("%1 ms in the paste handler; longest stall while pasting and "
                             "sending %2 ms, %3 ms of it waiting for a processor (%4 ms to send)")
                  .arg(handlerMs, 0, 'f', 1)
                  .arg(meter.longestMs(), 0, 'f', 1)
                  .arg(meter.longestWaitedMs(), 0, 'f', 1)
                  .arg(sendMs, 0, 'f', 0),
              QStringLiteral("<= 16 ms"), std::max(handlerMs, meter.longestMs()) <= 16);
    table.row(name + QStringLiteral(": memory"),
              QStringLiteral("peak %1 MB above start, %2 MB after")
                  .arg((peak - before) / 1024.0, 0, 'f', 1)
                  .arg((after - before) / 1024.0, 0, 'f', 1),
              QStringLiteral("bounded (<= 64 MB peak)"), peak - before <= 64 * 1024);
}

} // namespace

void pasteResend(BenchTable &table, bool quick)
{
    pasteOnce(table, quick, false);
    pasteOnce(table, quick, true);
}
