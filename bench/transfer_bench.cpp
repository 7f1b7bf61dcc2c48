#include "transfer_bench.h"

#include "bench_table.h"
#include "devices/channel.h"
#include "devices/file_transfer.h"
#include "support/byte_checks.h"
#include "support/lrzsz_peer.h"
#include "support/pty_pair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

// What limits it: every byte crosses four pipes and the pty (sz -> this
// program -> the pty's slave -> master -> rz), and ZMODEM escapes control
// bytes, which grows random data by about 3%. A pty has no line speed, so
// this is the program's ceiling, not a serial line's.
void zmodemBench(BenchTable &table, bool quick)
{
    const qsizetype size = quick ? (8 << 20) : (64 << 20);
    const QString goal = QStringLiteral(">= 5 MB/s");
    if (!FileTransfer::isAvailable(TransferProtocol::Zmodem)) {
        table.row(QStringLiteral("ZMODEM over a pty pair"), QStringLiteral("lrzsz not installed"),
                  goal, 0);
        return;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.bin"));
    const QByteArray bytes = randomBytes(size, 21);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size)
        return;
    file.close();
    QDir(dir.path()).mkdir(QStringLiteral("in"));

    PtyPair pty;
    Channel channel(2, false);
    channel.switchOnSerial(pty.slavePath(), QStringLiteral("115200,n,8,1"));
    LrzszPeer device(pty, QStringLiteral("rz"), {}, dir.filePath(QStringLiteral("in")));
    FileTransfer transfer(channel);
    QSignalSpy finished(&transfer, &FileTransfer::finished);
    QElapsedTimer clock;
    clock.start();
    const bool started = transfer.startSend(TransferProtocol::Zmodem, path);
    const bool ended = started && finished.wait(300000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const bool done =
        ended && finished.at(0).at(0).value<FileTransfer::Outcome>() == FileTransfer::Outcome::Done;
    const bool exact = done && device.waitForExit(10000) == 0 &&
                       fileBytes(dir.filePath(QStringLiteral("in/sample.bin"))) == bytes;
    const double rate = size / seconds / 1e6;
    table.row(QStringLiteral("ZMODEM over a pty pair, %1 MB of random bytes").arg(size >> 20),
              exact ? QStringLiteral("%1 MB/s (%2 s)").arg(rate, 0, 'f', 1).arg(seconds, 0, 'f', 2)
                    : QStringLiteral("failed: %1").arg(transfer.error()),
              goal, exact && rate >= 5);
}
