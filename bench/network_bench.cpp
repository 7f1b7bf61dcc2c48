#include "network_bench.h"

#include "bench_program.h"
#include "bench_table.h"
#include "loopback_listener.h"
#include "process_memory.h"
#include "stream_writer.h"

#include "devices/capture_session.h"
#include "devices/socket_component.h"
#include "devices/telnet_com_port.h"
#include "support/pty_pair.h"
#include "support/ser2net_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <arpa/inet.h>
#include <cerrno>
#include <ctime>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Every byte value, 0xFF among them, so the Telnet escaping is in the path.
QByteArray randomBytes(qsizetype size)
{
    QRandomGenerator random(11);
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

struct Result
{
    double rate = 0;       // bytes per second
    double cpuPerMB = 0;   // the channel's thread's CPU seconds per MB
    double batchBytes = 0; // the average batch the channel received
    bool exact = false;
};

// Feeds `data` from `fd` (written on a thread of its own) into channel 1,
// which is already on, in Hex Real Time, until its pane holds all of it.
Result receive(Channel &channel, int fd, const QByteArray &data)
{
    QByteArray received;
    received.reserve(data.size());
    qint64 batches = 0;
    const QMetaObject::Connection taken =
        QObject::connect(&channel, &Channel::batchReceived, [&](const QByteArray &b) {
            received += b;
            ++batches;
        });
    const double cpuBefore = threadCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    StreamWriter writer(fd, data, 4096, 0);
    writer.start();
    const bool complete = runLoopUntil([&] { return received.size() >= data.size(); }, 120000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double cpu = threadCpuSeconds() - cpuBefore;
    writer.join();
    QObject::disconnect(taken);
    return {data.size() / seconds, cpu / (data.size() / 1e6),
            double(received.size()) / qMax<qint64>(1, batches), complete && received == data};
}

// Reads `fd` with plain 64 KB reads, nothing else done with the bytes,
// while `data` is written to `writeFd`, until `expected` bytes came: the
// most any reader can take from that source on this machine.
double readOnlyRate(int fd, int writeFd, const QByteArray &data, qint64 expected)
{
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    QElapsedTimer clock;
    clock.start();
    StreamWriter writer(writeFd, data, 4096, 0);
    writer.start();
    qint64 got = 0;
    while (got < expected && clock.elapsed() < 120000) {
        pollfd in{fd, POLLIN, 0};
        if (::poll(&in, 1, 100) <= 0)
            continue;
        const ssize_t n = ::read(fd, buffer.data(), size_t(buffer.size()));
        if (n > 0)
            got += n;
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    writer.join();
    return got >= expected ? data.size() / seconds : 0;
}

int connectLoopback(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What the pty and ser2net allow at most, read by clients that do nothing
// with the bytes: the ceiling for the RFC 2217 rows.
void ceilingRows(BenchTable &table, const QByteArray &data)
{
    const QString size = QString::number(data.size() / 1048576);
    {
        const Pty pty; // its terminal side raw, as ser2net opens it
        const double rate = readOnlyRate(pty.slave, pty.master, data, data.size());
        table.row(QStringLiteral("ceiling: the pty alone, a reader of its terminal side that "
                                 "only reads (64 KB reads), %1 MB")
                      .arg(size),
                  rate > 0 ? QStringLiteral("%1 MB/s").arg(rate / 1e6, 0, 'f', 1)
                           : QStringLiteral("**INCOMPLETE**"));
    }
    for (const int bufferBytes : {65536, 262144}) {
        PtyPair pty;
        Ser2NetServer server;
        if (!server.start(QStringLiteral("telnet(rfc2217)"), pty.slavePath(), bufferBytes))
            return;
        const int socket = connectLoopback(server.port());
        if (socket < 0)
            return;
        // The server doubles each 0xFF; its few option requests at the start
        // count as data, which ends the read that many bytes early.
        const double rate =
            readOnlyRate(socket, pty.masterFd(), data, data.size() + data.count(char(0xFF)));
        ::close(socket);
        table.row(QStringLiteral("ceiling: ser2net (%1 KB buffers) from a pty, a client that "
                                 "only reads (no Telnet), %2 MB")
                      .arg(bufferBytes / 1024)
                      .arg(size),
                  rate > 0 ? QStringLiteral("%1 MB/s").arg(rate / 1e6, 0, 'f', 1)
                           : QStringLiteral("**INCOMPLETE**"));
    }
}

} // namespace

void networkBench(BenchTable &table, bool quick)
{
    const qsizetype size = quick ? 1024 * 1024 : 64 * 1024 * 1024;
    const QByteArray data = randomBytes(size);

    Result tcp;
    {
        CaptureSession session;
        Channel &channel = session.channel(1);
        LoopbackListener listener;
        channel.switchOnTcp(QStringLiteral("127.0.0.1"), QString::number(listener.port));
        const int peer = listener.accept();
        runLoopUntil([&] { return channel.link().socket()->isConnected(); }, 5000);
        tcp = receive(channel, peer, data);
        channel.switchOff();
        ::close(peer);
    }
    table.row(
        QStringLiteral("raw TCP receive from 127.0.0.1, %1 MB").arg(size / 1048576),
        QStringLiteral(
            "%1 MB/s, %2 ms CPU per MB (the channel's thread), batches of %3 bytes on average%4")
            .arg(tcp.rate / 1e6, 0, 'f', 1)
            .arg(tcp.cpuPerMB * 1000, 0, 'f', 2)
            .arg(tcp.batchBytes, 0, 'f', 0)
            .arg(tcp.exact ? ", exact" : ", **NOT EXACT**"));

    if (!Ser2NetServer::isInstalled()) {
        table.row(QStringLiteral("RFC 2217 receive through ser2net"),
                  QStringLiteral("not run: /usr/sbin/ser2net is missing"));
        return;
    }
    // ser2net's own buffers (64 bytes each way), then 64 KB ones: how much
    // the server reads from the terminal at a time sets how often the
    // channel wakes.
    for (const int bufferBytes : {0, 65536}) {
        PtyPair pty;
        Ser2NetServer server;
        CaptureSession session;
        Channel &channel = session.channel(1);
        const QString buffers = bufferBytes == 0
                                    ? QStringLiteral("its default buffers")
                                    : QStringLiteral("%1 KB buffers").arg(bufferBytes / 1024);
        if (!server.start(QStringLiteral("telnet(rfc2217)"), pty.slavePath(), bufferBytes)) {
            table.row(QStringLiteral("RFC 2217 receive through ser2net"),
                      QStringLiteral("not run: ser2net did not start"));
            return;
        }
        channel.switchOnNetwork(ChannelLink::Network::Rfc2217, QStringLiteral("127.0.0.1"),
                                QString::number(server.port()), QStringLiteral("115200,n,8,1"));
        runLoopUntil(
            [&] { return channel.link().remotePort()->state() == TelnetComPort::State::Accepted; },
            5000);
        const Result remote = receive(channel, pty.masterFd(), data);
        channel.switchOff();
        const bool rateMet = remote.rate >= 50e6;
        const bool cpuMet = remote.cpuPerMB <= 2 * tcp.cpuPerMB;
        table.row(QStringLiteral("RFC 2217 receive through ser2net (%1) from a pty, %2 MB")
                      .arg(buffers)
                      .arg(size / 1048576),
                  QStringLiteral("%1 MB/s, %2 ms CPU per MB (%3x raw TCP), batches of %4 bytes on "
                                 "average%5")
                      .arg(remote.rate / 1e6, 0, 'f', 1)
                      .arg(remote.cpuPerMB * 1000, 0, 'f', 2)
                      .arg(remote.cpuPerMB / tcp.cpuPerMB, 0, 'f', 2)
                      .arg(remote.batchBytes, 0, 'f', 0)
                      .arg(remote.exact ? ", exact" : ", **NOT EXACT**"),
                  QStringLiteral(">= 50 MB/s, CPU per MB <= 2x raw TCP"), rateMet && cpuMet);
    }
    ceilingRows(table, data);
}
