#include "core/monitor/monitor_store.h"

#include <cstring>
#include <utility>

namespace {

struct MonitorRecordHead
{
    quint8 channel;
    qint64 wallMs;
    quint32 size;
};

void writeMonitorHead(char *out, const MonitorRecordHead &head)
{
    out[0] = char(head.channel);
    std::memcpy(out + 1, &head.wallMs, sizeof head.wallMs);
    std::memcpy(out + 9, &head.size, sizeof head.size);
}

MonitorRecordHead readMonitorHead(const char *in)
{
    MonitorRecordHead head{};
    head.channel = quint8(in[0]);
    std::memcpy(&head.wallMs, in + 1, sizeof head.wallMs);
    std::memcpy(&head.size, in + 9, sizeof head.size);
    return head;
}

// Set in a head's size: the batch is in the pane, and a text position
// follows the head instead of the bytes.
constexpr quint32 kInPaneFlag = quint32(1) << 31;

} // namespace

MonitorStore::MonitorStore(qsizetype spillThreshold)
    : m_store(spillThreshold)
{}

void MonitorStore::add(int channel, qint64 wallMs, QByteArrayView bytes)
{
    for (qsizetype at = 0; at < bytes.size(); at += kLargestRecord)
        addRecord(channel, wallMs, bytes.sliced(at, std::min(kLargestRecord, bytes.size() - at)));
}

void MonitorStore::addRecord(int channel, qint64 wallMs, QByteArrayView bytes)
{
    // A store whose file failed holds a bounded amount; past it the oldest
    // batches go rather than the newest.
    if (kHeadSize + bytes.size() > m_store.room())
        clear();
    char head[kHeadSize];
    writeMonitorHead(head, {quint8(channel), wallMs, quint32(bytes.size())});
    m_store.append(QByteArrayView(head, kHeadSize));
    m_store.append(bytes);
    m_bytes += bytes.size();
    takeStoreFault();
}

void MonitorStore::addInPane(int channel, qint64 wallMs, qsizetype paneAt, qsizetype size)
{
    constexpr qsizetype recordSize = kHeadSize + qsizetype(sizeof(qint64));
    if (recordSize > m_store.room())
        clear();
    char record[recordSize];
    writeMonitorHead(record, {quint8(channel), wallMs, quint32(size) | kInPaneFlag});
    const qint64 at = paneAt;
    std::memcpy(record + kHeadSize, &at, sizeof at);
    m_store.append(QByteArrayView(record, recordSize));
    m_bytes += size;
    takeStoreFault();
}

void MonitorStore::read(qsizetype pos, qsizetype size, QByteArray &out) const
{
    out.resize(size);
    for (qsizetype done = 0; done < size;) {
        const QByteArrayView chunk = m_store.chunkAt(pos + done);
        const qsizetype take = std::min(chunk.size(), size - done);
        std::memcpy(out.data() + done, chunk.data(), size_t(take));
        done += take;
    }
}

void MonitorStore::forEach(const std::function<void(const MonitorBatch &)> &visit) const
{
    QByteArray head;
    QByteArray bytes;
    qsizetype released = 0;
    qsizetype pos = 0;
    while (pos + kHeadSize <= m_store.size()) {
        read(pos, kHeadSize, head);
        const MonitorRecordHead parsed = readMonitorHead(head.constData());
        const qsizetype from = pos + kHeadSize;
        const qsizetype size = qsizetype(parsed.size & ~kInPaneFlag);
        if (parsed.size & kInPaneFlag) {
            qint64 paneAt = 0;
            read(from, sizeof paneAt, head);
            std::memcpy(&paneAt, head.constData(), sizeof paneAt);
            visit({parsed.channel, parsed.wallMs, {}, qsizetype(paneAt), size});
            pos = from + qsizetype(sizeof paneAt);
        } else {
            const QByteArrayView chunk = m_store.chunkAt(from);
            QByteArrayView batch;
            if (chunk.size() >= size) {
                batch = chunk.first(size); // no copy for a batch within one block
            } else {
                read(from, size, bytes);
                batch = bytes;
            }
            visit({parsed.channel, parsed.wallMs, batch, -1, size});
            pos = from + size;
        }
        // What was read through the file's map leaves memory in large steps.
        if (pos - released >= kLargestRecord) {
            m_store.releaseRead(released, pos - released);
            released = pos;
        }
    }
    m_store.releaseRead(released, pos - released);
}

void MonitorStore::clear()
{
    m_store.clear();
    m_bytes = 0;
}

void MonitorStore::forget(const QString &why)
{
    m_fault = why;
    clear();
}

void MonitorStore::finishWrites()
{
    m_store.finishWrites();
    takeStoreFault();
}

void MonitorStore::takeStoreFault()
{
    const QString fault = m_store.takeFault();
    if (fault.isEmpty())
        return;
    // Giving the file back would drop whole blocks and cut a batch in two:
    // the batches held go instead.
    m_fault = fault;
    clear();
}

QString MonitorStore::takeFault()
{
    return std::exchange(m_fault, QString());
}
