#include "monitor_bench.h"

#include "bench_table.h"
#include "process_memory.h"
#include "processors.h"

#include "core/channel_receiver.h"
#include "core/monitor/monitor_pane.h"
#include "core/pane/pane_text.h"

#include <QFile>
#include <QThread>

#include <algorithm>
#include <ctime>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qsizetype kMonitorBenchBatch = 256;

// Sensor lines of about 40 bytes, CR LF ended.
QByteArray monitorBenchLines(qsizetype size)
{
    QByteArray data;
    data.reserve(size + 64);
    for (int line = 0; data.size() < size; ++line)
        data += "T=" + QByteArray::number(20 + line % 7) +
                ".41C P=1013.2hPa n=" + QByteArray::number(line) + "\r\n";
    data.truncate(size);
    return data;
}

// Seconds of thread CPU to take `data` into a channel's pane, batch by batch.
double channelPaneSeconds(const QByteArray &data)
{
    PaneText pane;
    ChannelModes modes;
    ChannelModule module;
    ChannelReceiver receiver(modes, module, pane);
    const double before = threadCpuSeconds();
    for (qsizetype at = 0; at < data.size(); at += kMonitorBenchBatch)
        receiver.receiveSerial(data.mid(at, kMonitorBenchBatch), 1000 + at);
    return threadCpuSeconds() - before;
}

// The same batches into the monitor, from channels 1 and 2 in turn.
double monitorSeconds(const QByteArray &data)
{
    MonitorPane monitor;
    const double before = threadCpuSeconds();
    for (qsizetype at = 0; at < data.size(); at += kMonitorBenchBatch)
        monitor.receive(1 + int(at / kMonitorBenchBatch % 2), data.mid(at, kMonitorBenchBatch),
                        {at, 1000 + at});
    return threadCpuSeconds() - before;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The resident size once the panes made before have given their memory
// back (their blocks are unmapped on a thread of their own).
qint64 monitorBenchSettledBytes()
{
    qint64 last = -1;
    for (int i = 0; i < 30; ++i) {
        ::malloc_trim(0);
        const qint64 now = residentBytes();
        if (now == last)
            return now;
        last = now;
        QThread::msleep(100);
    }
    return last;
}

// Resident bytes per received byte once the monitor holds `held` bytes.
double monitorBytesPerByte(const QByteArray &chunk, qsizetype held, MonitorPane &monitor,
                           qint64 before)
{
    for (qsizetype fed = 0; fed < held; fed += chunk.size())
        for (qsizetype at = 0; at < chunk.size(); at += kMonitorBenchBatch)
            monitor.receive(1 + int(at / kMonitorBenchBatch % 2),
                            QByteArrayView(chunk).sliced(at, kMonitorBenchBatch),
                            {fed, 1000 + fed});
    monitor.text().finishSpilling();
    monitor.store().finishWrites();
    return double(residentBytes() - before) / double(monitor.store().byteCount());
}

} // namespace

void monitorBench(BenchTable &table, bool quick)
{
    const qsizetype size = quick ? 2 * 1000 * 1000 : 16 * 1000 * 1000;
    const QByteArray data = monitorBenchLines(size);
    processorSpeedRow(table,
                      QStringLiteral("append %1 MB of 40-byte lines in 256-byte batches to a "
                                     "channel pane")
                          .arg(size / 1000000),
                      [&data] { return channelPaneSeconds(data); });
    std::vector<double> pane;
    std::vector<double> monitor;
    {
        const KeptOnThisProcessor kept;
        for (int round = 0; round < 7; ++round) {
            pane.push_back(channelPaneSeconds(data));
            monitor.push_back(monitorSeconds(data));
        }
    }
    const double paneMs = median(pane) * 1000;
    const double monitorMs = median(monitor) * 1000;
    table.row(QStringLiteral("append %1 MB of 40-byte lines in 256-byte batches, monitor (two "
                             "channels in turn) vs channel pane, medians of 7 alternated runs "
                             "on one processor")
                  .arg(size / 1000000),
              QStringLiteral("%1 ms vs %2 ms: %3x")
                  .arg(monitorMs, 0, 'f', 1)
                  .arg(paneMs, 0, 'f', 1)
                  .arg(monitorMs / paneMs, 0, 'f', 2),
              QStringLiteral("<= 1.2x"), monitorMs <= 1.2 * paneMs);

    const QByteArray chunk = monitorBenchLines(64 * kMonitorBenchBatch);
    const qsizetype held = quick ? 5 * 1000 * 1000 : 50 * 1000 * 1000;
    {
        const qint64 before = monitorBenchSettledBytes();
        MonitorPane below;
        const double perByte = monitorBytesPerByte(chunk, held, below, before);
        table.row(
            QStringLiteral("resident memory per received byte, monitor holding %1 MB of "
                           "40-byte lines, ASCII")
                .arg(held / 1000000),
            QStringLiteral("%1 bytes (store %2 bytes, pane text 1 byte)")
                .arg(perByte, 0, 'f', 3)
                .arg(double(below.store().storedSize()) / below.store().byteCount(), 0, 'f', 3));
    }
    const qsizetype threshold = held / 8;
    const qsizetype defaultThreshold = PaneText::defaultSpillThreshold();
    PaneText::setDefaultSpillThreshold(threshold);
    const qint64 before = monitorBenchSettledBytes();
    MonitorPane past;
    PaneText::setDefaultSpillThreshold(defaultThreshold);
    const double perByte = monitorBytesPerByte(chunk, held, past, before);
    table.row(QStringLiteral("resident memory per received byte, monitor holding %1 MB past a "
                             "%2 MB spill threshold")
                  .arg(held / 1000000)
                  .arg(threshold / 1000000.0, 0, 'f', 2),
              QStringLiteral("%1 bytes (%2 MB in all)")
                  .arg(perByte, 0, 'f', 3)
                  .arg(perByte * past.store().byteCount() / 1e6, 0, 'f', 1),
              QStringLiteral("stays near the threshold's"));
}
