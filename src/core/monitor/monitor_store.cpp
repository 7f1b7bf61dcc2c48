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

// An in-pane record's first byte: this bit and the channel. Its numbers
// follow as differences from the record before; with kAbsoluteFlag (the
// first record of each gathered page) from zero, so a page read alone, as
// after the store dropped what came before, still reads right.
constexpr quint8 kInPaneFlag = 0x80;
constexpr quint8 kAbsoluteFlag = 0x40;
constexpr quint8 kChannelMask = 0x3f;

// Seven bits to a byte, the high bit set on all but the last; a difference
// is folded first so that small negative ones stay short too.
char *writeNumber(char *out, qint64 value)
{
    auto folded = (quint64(value) << 1) ^ quint64(value >> 63);
    while (folded >= 0x80) {
        *out++ = char(folded | 0x80);
        folded >>= 7;
    }
    *out++ = char(folded);
    return out;
}

const char *readNumber(const char *in, const char *end, qint64 &value)
{
    quint64 folded = 0;
    for (int shift = 0; in < end && shift < 64; shift += 7) {
        const auto byte = quint8(*in++);
        folded |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            break;
    }
    value = qint64(folded >> 1) ^ -qint64(folded & 1);
    return in;
}

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
    flushPending(); // the batches stay in order
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
    if (m_pendingSize + kLongestInPaneRecord > qsizetype(m_pending.size()))
        flushPending();
    quint8 tag = kInPaneFlag | quint8(channel & kChannelMask);
    if (m_pendingSize == 0) {
        tag |= kAbsoluteFlag;
        m_lastMs = 0;
        m_lastPaneEnd = 0;
    }
    char *const record = m_pending.data() + m_pendingSize;
    record[0] = char(tag);
    char *out = writeNumber(record + 1, wallMs - m_lastMs);
    out = writeNumber(out, size);
    out = writeNumber(out, paneAt - m_lastPaneEnd);
    m_lastMs = wallMs;
    m_lastPaneEnd = paneAt + size;
    m_pendingSize += out - record;
    m_pendingBytes += size;
    m_bytes += size;
}

void MonitorStore::flushPending()
{
    if (m_pendingSize == 0)
        return;
    if (m_pendingSize > m_store.room()) {
        m_store.clear(); // the oldest batches go rather than the newest
        m_bytes = m_pendingBytes;
    }
    m_store.append(QByteArrayView(m_pending.data(), m_pendingSize));
    m_pendingSize = 0;
    m_pendingBytes = 0;
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

void MonitorStore::forEach(const std::function<void(const MonitorBatch &)> &visit)
{
    flushPending();
    QByteArray head;
    QByteArray bytes;
    qsizetype released = 0;
    qsizetype pos = 0;
    qint64 lastMs = 0;
    qint64 lastPaneEnd = 0;
    while (pos < m_store.size()) {
        if (quint8(m_store.at(pos)) & kInPaneFlag) {
            read(pos, std::min(kLongestInPaneRecord, m_store.size() - pos), head);
            const char *const record = head.constData();
            const auto tag = quint8(record[0]);
            if (tag & kAbsoluteFlag) {
                lastMs = 0;
                lastPaneEnd = 0;
            }
            const char *const end = record + head.size();
            qint64 msStep = 0;
            qint64 size = 0;
            qint64 gap = 0;
            const char *in = readNumber(record + 1, end, msStep);
            in = readNumber(in, end, size);
            in = readNumber(in, end, gap);
            lastMs += msStep;
            const qsizetype paneAt = qsizetype(lastPaneEnd + gap);
            lastPaneEnd = paneAt + size;
            visit({tag & kChannelMask, lastMs, {}, paneAt, qsizetype(size)});
            pos += in - record;
        } else {
            if (pos + kHeadSize > m_store.size())
                break;
            read(pos, kHeadSize, head);
            const MonitorRecordHead parsed = readMonitorHead(head.constData());
            const qsizetype from = pos + kHeadSize;
            const auto size = qsizetype(parsed.size);
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
    m_pendingSize = 0;
    m_pendingBytes = 0;
}

void MonitorStore::forget(const QString &why)
{
    m_fault = why;
    clear();
}

void MonitorStore::finishWrites()
{
    flushPending();
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
