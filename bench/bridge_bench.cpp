#include "bridge_bench.h"

#include "bench_program.h"
#include "bench_table.h"
#include "stall_meter.h"
#include "stream_writer.h"

#include "core/channel_list.h"
#include "devices/capture_session.h"
#include "support/byte_checks.h"
#include "support/pty_pair.h"
#include "support/tcp_peer.h"

#include <QElapsedTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

qint64 bridgeBenchNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The client of the listening channel: reads on a thread of its own,
// keeping each read's end (bytes so far) and time.
class BridgeBenchClient
{
public:
    bool connectTo(quint16 port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return ::connect(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    }
    ~BridgeBenchClient()
    {
        join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    void start(qint64 expected)
    {
        m_got.reserve(expected);
        m_thread = std::thread([this, expected] { run(expected); });
    }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    qint64 count() const { return m_count; }
    const QByteArray &got() const { return m_got; }
    const std::vector<std::pair<qint64, qint64>> &reads() const { return m_reads; }

private:
    void run(qint64 expected)
    {
        char buffer[64 * 1024];
        const qint64 until = bridgeBenchNowNs() + qint64(300) * 1000000000;
        while (m_count < expected && bridgeBenchNowNs() < until) {
            pollfd in{m_fd, POLLIN, 0};
            if (::poll(&in, 1, 100) <= 0)
                continue;
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            m_got.append(buffer, n);
            m_reads.emplace_back(m_got.size(), bridgeBenchNowNs());
            m_count = m_got.size();
        }
    }

    int m_fd = -1;
    std::thread m_thread;
    QByteArray m_got;
    std::vector<std::pair<qint64, qint64>> m_reads;
    std::atomic<qint64> m_count{0};
};

// Channel 1 on a pty, channel 2 listening on 127.0.0.1 with a client,
// bridged 1>2, nothing shown but the panes.
struct BridgeBenchRig
{
    CaptureSession session;
    PtyPair pty;
    BridgeBenchClient client;
    bool ready = false;

    BridgeBenchRig()
    {
        session.channel(1).switchOnSerial(pty.slavePath(), QStringLiteral("115200,n,8,1"));
        const quint16 port = TcpPeer::refusedPort();
        Channel &listening = session.channel(2);
        listening.switchOnNetwork(ChannelLink::Network::Listen, QStringLiteral("127.0.0.1"),
                                  QString::number(port), {});
        ready = session.channel(1).isOn() && client.connectTo(port) &&
                runLoopUntil([&] { return !listening.isWaiting(); }, 5000);
        session.setBridge(*BridgeChoice::fromText(u"1>2", defaultChannelCount));
    }
};

void throughputRow(BenchTable &table, qsizetype size)
{
    BridgeBenchRig rig;
    const QByteArray data = randomBytes(size, 51);
    rig.client.start(size);
    QElapsedTimer clock;
    clock.start();
    StreamWriter writer(rig.pty.masterFd(), data, 4096, 0);
    writer.start();
    runLoopUntil([&] { return rig.client.count() >= size; }, 300000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    writer.join();
    rig.client.join();
    const double rate = rig.client.count() >= size ? size / seconds / 1e6 : 0;
    const ChannelBridge::Way &way = rig.session.bridge().forward();
    table.row(QStringLiteral("bridge throughput: pty (channel 1) to a 127.0.0.1 TCP client of "
                             "channel 2 listening, %1 MB")
                  .arg(size / 1048576),
              QStringLiteral("%1 MB/s, %2 dropped%3")
                  .arg(rate, 0, 'f', 1)
                  .arg(way.dropped)
                  .arg(rig.ready && rig.client.got() == data ? ", exact" : ", **NOT EXACT**"),
              QStringLiteral(">= 20 MB/s"), rate >= 20);
}

// The longest stall of an idle event loop over `ms`: the floor any latency
// measured on this machine's event loop stands on.
double idleFloorMs(int ms)
{
    StallMeter meter;
    meter.start();
    runLoopUntil([] { return false; }, ms);
    meter.stop();
    return meter.longestMs();
}

void latencyRow(BenchTable &table, int seconds)
{
    const double floorMs = idleFloorMs(seconds * 1000);
    BridgeBenchRig rig;
    const qsizetype size = qsizetype(seconds) * 1000000;
    const QByteArray data = randomBytes(size, 52);
    std::vector<std::pair<qint64, qint64>> batches; // end offset, arrival
    qint64 received = 0;
    QObject::connect(&rig.session.channel(1), &Channel::batchReceived,
                     [&](const QByteArray &batch) {
                         received += batch.size();
                         batches.emplace_back(received, bridgeBenchNowNs());
                     });
    rig.client.start(size);
    StreamWriter writer(rig.pty.masterFd(), data, 1000, 1e6); // 1 MB/s in 1 kB writes
    writer.start();
    runLoopUntil([&] { return rig.client.count() >= size; }, seconds * 4000 + 10000);
    writer.join();
    rig.client.join();
    std::vector<double> added;
    size_t read = 0;
    const auto &reads = rig.client.reads();
    for (const auto &[end, arrival] : batches) {
        while (read < reads.size() && reads[read].first < end)
            ++read;
        if (read < reads.size())
            added.push_back((reads[read].second - arrival) / 1e6);
    }
    std::sort(added.begin(), added.end());
    const auto at = [&added](double share) {
        return added.empty() ? 0.0 : added[size_t(share * double(added.size() - 1))];
    };
    const double p99 = at(0.99);
    table.row(QStringLiteral("bridge added latency at 1 MB/s: a batch's arrival at channel 1 to "
                             "the 127.0.0.1 client, %1 s")
                  .arg(seconds),
              QStringLiteral("p50 %1 ms, p99 %2 ms, max %3 ms over %4 batches%5; idle event "
                             "loop's longest stall %6 ms")
                  .arg(at(0.5), 0, 'f', 2)
                  .arg(p99, 0, 'f', 2)
                  .arg(added.empty() ? 0.0 : added.back(), 0, 'f', 2)
                  .arg(added.size())
                  .arg(rig.client.got() == data ? ", exact" : ", **NOT EXACT**")
                  .arg(floorMs, 0, 'f', 2),
              QStringLiteral("p99 <= 2 ms"), !added.empty() && p99 <= 2.0);
}

} // namespace

void bridgeBench(BenchTable &table, bool quick)
{
    throughputRow(table, quick ? 4 << 20 : 50 << 20);
    latencyRow(table, quick ? 2 : 10);
}
