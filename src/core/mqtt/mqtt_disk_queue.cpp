#include "core/mqtt/mqtt_disk_queue.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr qint64 queueRecordHeadBytes = 8;
// MQTT's own limit on a payload, and a generous one on a topic: a length
// beyond them is a damaged file, not a message.
constexpr quint32 queueLargestPayload = 256u << 20;
constexpr quint32 queueLargestTopic = 64u << 10;
constexpr int queueIndexDigits = 20;
const QString queueAcknowledgedName = QStringLiteral("acknowledged");

QByteArray queueRecordHead(qint64 topicSize, qint64 payloadSize)
{
    QByteArray head(queueRecordHeadBytes, Qt::Uninitialized);
    qToLittleEndian(quint32(topicSize), head.data());
    qToLittleEndian(quint32(payloadSize), head.data() + 4);
    return head;
}

// Reads one record's lengths at the file's position; false at the end or at
// a head that can't be one.
bool queueReadHead(QFile &file, quint32 &topicSize, quint32 &payloadSize)
{
    char head[queueRecordHeadBytes];
    if (file.read(head, queueRecordHeadBytes) != queueRecordHeadBytes)
        return false;
    topicSize = qFromLittleEndian<quint32>(head);
    payloadSize = qFromLittleEndian<quint32>(head + 4);
    return topicSize <= queueLargestTopic && payloadSize <= queueLargestPayload;
}

} // namespace

QString MqttDiskQueue::folderFor(const QString &name)
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/varnokterm/mqtt/") + name;
}

MqttDiskQueue::~MqttDiskQueue()
{
    close();
}

QString MqttDiskQueue::segmentPath(qint64 first) const
{
    return m_folder + QLatin1Char('/') +
           QString::number(first).rightJustified(queueIndexDigits, QLatin1Char('0')) +
           QStringLiteral(".seg");
}

qint64 MqttDiskQueue::segmentLimit() const
{
    return std::max<qint64>(m_bound / 8, 4096);
}

QString MqttDiskQueue::open(const QString &folder, qint64 boundBytes)
{
    close();
    m_folder = folder;
    m_bound = std::max(boundBytes, smallestBound);
    m_dropped = 0;
    m_error.clear();
    if (!QDir().mkpath(folder))
        return QObject::tr("The folder %1 can't be made.").arg(folder);
    m_acknowledgedFile.setFileName(folder + QLatin1Char('/') + queueAcknowledgedName);
    if (!m_acknowledgedFile.open(QIODevice::ReadWrite))
        return QObject::tr("The queue's file %1 can't be written: %2")
            .arg(m_acknowledgedFile.fileName(), m_acknowledgedFile.errorString());
    m_acknowledged = std::max<qint64>(1, m_acknowledgedFile.readAll().trimmed().toLongLong());

    QList<qint64> firsts;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*.seg")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        bool ok = false;
        const qint64 first = QStringView(name).chopped(4).toLongLong(&ok);
        if (ok && first > 0 && name.size() == queueIndexDigits + 4)
            firsts << first;
    }
    m_segments.clear();
    m_bytes = 0;
    for (const qint64 first : firsts) {
        // A segment that overlaps the one before it is left over from a
        // crash between two steps: the later one wins.
        if (!m_segments.isEmpty() && m_segments.last().first + m_segments.last().count > first)
            m_segments.last().count = first - m_segments.last().first;
        const Segment segment = scanSegment(first);
        m_segments << segment;
        m_bytes += segment.bytes;
    }
    m_next =
        m_segments.isEmpty() ? m_acknowledged : m_segments.last().first + m_segments.last().count;
    m_acknowledged = std::min(m_acknowledged, m_next);
    if (!m_segments.isEmpty() && m_segments.first().first > m_acknowledged)
        m_acknowledged = m_segments.first().first;
    m_cursor = m_acknowledged;
    m_memory.clear();
    m_memoryBytes = 0;
    m_memoryFirst = m_next;
    m_acknowledgedSaved.invalidate();
    m_acknowledgedUnsaved = false;
    removeConfirmedSegments();
    if (m_segments.isEmpty())
        return startSegment(m_next) ? QString() : m_error;
    m_writer.setFileName(segmentPath(m_segments.last().first));
    if (!m_writer.open(QIODevice::WriteOnly | QIODevice::Append))
        return QObject::tr("The queue's file %1 can't be written: %2")
            .arg(m_writer.fileName(), m_writer.errorString());
    return {};
}

MqttDiskQueue::Segment MqttDiskQueue::scanSegment(qint64 first)
{
    Segment segment{first, 0, 0};
    QFile file(segmentPath(first));
    if (!file.open(QIODevice::ReadWrite))
        return segment;
    const qint64 size = file.size();
    quint32 topicSize = 0;
    quint32 payloadSize = 0;
    while (queueReadHead(file, topicSize, payloadSize)) {
        const qint64 end = segment.bytes + queueRecordHeadBytes + topicSize + payloadSize;
        if (end > size)
            break;
        segment.bytes = end;
        ++segment.count;
        file.seek(end);
    }
    if (segment.bytes < size)
        file.resize(segment.bytes); // a record cut short, or damage: it ends here
    return segment;
}

bool MqttDiskQueue::startSegment(qint64 first)
{
    m_writer.close();
    m_writer.setFileName(segmentPath(first));
    if (!m_writer.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QObject::tr("The queue's file %1 can't be written: %2")
                      .arg(m_writer.fileName(), m_writer.errorString());
        return false;
    }
    m_segments << Segment{first, 0, 0};
    return true;
}

void MqttDiskQueue::close()
{
    if (!m_writer.isOpen())
        return;
    flush();
    saveAcknowledged();
    m_writer.close();
    m_reader.close();
    m_readerFirst = -1;
    m_acknowledgedFile.close();
    m_segments.clear();
    m_memory.clear();
    m_memoryBytes = 0;
}

bool MqttDiskQueue::append(QByteArrayView topic, QByteArrayView payload)
{
    if (!isOpen())
        return false;
    const qint64 size = queueRecordHeadBytes + topic.size() + payload.size();
    if (size > m_bound / 2 || topic.size() > qsizetype(queueLargestTopic)) {
        ++m_dropped;
        return false;
    }
    if (m_segments.last().bytes > 0 && m_segments.last().bytes + size > segmentLimit()) {
        flush();
        if (!startSegment(m_next))
            return false;
    }
    while (m_bytes + size > m_bound && m_segments.size() > 1)
        dropOldestSegment();
    if (m_writer.write(queueRecordHead(topic.size(), payload.size())) != queueRecordHeadBytes ||
        m_writer.write(topic.data(), topic.size()) != topic.size() ||
        m_writer.write(payload.data(), payload.size()) != payload.size()) {
        m_error = m_writer.errorString();
        return false;
    }
    Segment &last = m_segments.last();
    last.bytes += size;
    ++last.count;
    m_bytes += size;
    keepInMemory(topic, payload, size);
    ++m_next;
    return true;
}

void MqttDiskQueue::keepInMemory(QByteArrayView topic, QByteArrayView payload, qint64 size)
{
    if (m_lastTopic != topic)
        m_lastTopic = topic.toByteArray();
    m_memory.push_back(Message{m_next, m_lastTopic, payload.toByteArray()});
    m_memoryBytes += size;
    while (m_memoryBytes > std::min(m_bound, memoryBound))
        forgetFromMemory(m_memoryFirst + 1);
}

// Memory keeps a run that ends with the newest message: only its oldest go.
void MqttDiskQueue::forgetFromMemory(qint64 before)
{
    while (!m_memory.empty() && m_memoryFirst < before) {
        const Message &oldest = m_memory.front();
        m_memoryBytes -= queueRecordHeadBytes + oldest.topic.size() + oldest.payload.size();
        m_memory.pop_front();
        ++m_memoryFirst;
    }
}

void MqttDiskQueue::flush()
{
    if (m_writer.isOpen() && !m_writer.flush())
        m_error = m_writer.errorString();
}

void MqttDiskQueue::dropOldestSegment()
{
    const Segment oldest = m_segments.takeFirst();
    const qint64 end = oldest.first + oldest.count;
    m_dropped += std::max<qint64>(0, end - std::max(m_acknowledged, oldest.first));
    m_acknowledged = std::max(m_acknowledged, end);
    m_cursor = std::max(m_cursor, m_acknowledged);
    forgetFromMemory(m_acknowledged);
    m_bytes -= oldest.bytes;
    if (m_readerFirst == oldest.first) {
        m_reader.close();
        m_readerFirst = -1;
    }
    QFile::remove(segmentPath(oldest.first));
    saveAcknowledged();
}

void MqttDiskQueue::removeConfirmedSegments()
{
    while (m_segments.size() > 1 &&
           m_segments.first().first + m_segments.first().count <= m_acknowledged) {
        const Segment oldest = m_segments.takeFirst();
        m_bytes -= oldest.bytes;
        if (m_readerFirst == oldest.first) {
            m_reader.close();
            m_readerFirst = -1;
        }
        QFile::remove(segmentPath(oldest.first));
    }
}

QList<MqttDiskQueue::Message> MqttDiskQueue::take(int count)
{
    QList<Message> taken;
    if (!isOpen())
        return taken;
    taken.reserve(int(std::min<qint64>(count, m_next - m_cursor)));
    while (int(taken.size()) < count && m_cursor < m_next) {
        if (m_cursor >= m_memoryFirst) {
            taken << m_memory[std::size_t(m_cursor - m_memoryFirst)];
            ++m_cursor;
            continue;
        }
        Message message;
        if (!readFromFile(message))
            break;
        ++m_cursor;
        taken << message;
    }
    return taken;
}

// The message at the send cursor, read from its segment.
bool MqttDiskQueue::readFromFile(Message &message)
{
    if (m_cursor >= m_segments.last().first)
        flush(); // the reader reads what the writer wrote
    const auto segment =
        std::find_if(m_segments.cbegin(), m_segments.cend(), [this](const Segment &s) {
            return m_cursor >= s.first && m_cursor < s.first + s.count;
        });
    if (segment == m_segments.cend())
        return false;
    if (m_readerFirst != segment->first || m_readerAt > m_cursor) {
        m_reader.close();
        m_reader.setFileName(segmentPath(segment->first));
        if (!m_reader.open(QIODevice::ReadOnly)) {
            m_error = m_reader.errorString();
            return false;
        }
        m_readerFirst = segment->first;
        m_readerAt = segment->first;
    }
    quint32 topicSize = 0;
    quint32 payloadSize = 0;
    bool ok = true;
    while (ok && m_readerAt < m_cursor) { // skips what was confirmed or dropped
        ok = queueReadHead(m_reader, topicSize, payloadSize) &&
             m_reader.skip(topicSize + payloadSize) == topicSize + payloadSize;
        ++m_readerAt;
    }
    message.index = m_cursor;
    ok = ok && queueReadHead(m_reader, topicSize, payloadSize);
    if (ok) {
        message.topic = m_reader.read(topicSize);
        message.payload = m_reader.read(payloadSize);
        ok = message.topic.size() == qsizetype(topicSize) &&
             message.payload.size() == qsizetype(payloadSize);
    }
    if (!ok) {
        // The file lost what it had been given: what is left of it is unreadable.
        m_error = QObject::tr("The queue's file %1 is shorter than it was written.")
                      .arg(m_reader.fileName());
        m_reader.close();
        m_readerFirst = -1;
        return false;
    }
    ++m_readerAt;
    return true;
}

void MqttDiskQueue::rewind()
{
    m_cursor = m_acknowledged;
}

void MqttDiskQueue::acknowledge(qint64 index)
{
    if (index < m_acknowledged || index >= m_next)
        return;
    m_acknowledged = index + 1;
    m_cursor = std::max(m_cursor, m_acknowledged);
    forgetFromMemory(m_acknowledged);
    // Written in batches: a confirmation that comes sooner waits for the next one, or close().
    if (m_acknowledgedSaved.isValid() && m_acknowledgedSaved.elapsed() < ackSaveMs)
        m_acknowledgedUnsaved = true;
    else
        saveAcknowledged();
    removeConfirmedSegments();
}

void MqttDiskQueue::saveConfirmed()
{
    if (m_acknowledgedUnsaved)
        saveAcknowledged();
}

void MqttDiskQueue::saveAcknowledged()
{
    if (!m_acknowledgedFile.isOpen())
        return;
    m_acknowledgedSaved.start();
    m_acknowledgedUnsaved = false;
    // Fixed width: rewritten in place, one small write each time.
    const QByteArray text =
        QByteArray::number(m_acknowledged).rightJustified(queueIndexDigits, '0') + '\n';
    if (!m_acknowledgedFile.seek(0) || m_acknowledgedFile.write(text) != text.size() ||
        !m_acknowledgedFile.flush())
        m_error = m_acknowledgedFile.errorString();
}
