#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>

#include <deque>

// The messages a capture node has made for the broker and the broker has not
// yet confirmed, kept in files so that neither the broker's absence nor the
// program's end loses them. Each message gets an index, one more than the
// last one's, which stays with it across restarts: it is the message's
// sequence number too.
//
// The folder holds segment files ("<first index>.seg", each a run of
// records: topic length and payload length as 32-bit little-endian numbers,
// then the topic and the payload) and a file "acknowledged" with the index
// of the first message the broker has not confirmed. A record cut short by a
// crash is cut off when the folder is opened again. The files together stay
// within the bound the caller sets: a message that would pass it first
// drops the oldest segment (about an eighth of the bound), and every message
// dropped that had not been confirmed is counted. Confirmed segments are
// deleted; the last segment always stays, so the next index is known.
//
// Messages go out from a send cursor (take()) that runs ahead of the
// confirmed ones; rewind() sends again from the first unconfirmed one after
// a connection was lost, so the broker receives them in order, some maybe
// twice (the sequence number tells a subscriber which).
//
// The files are the safety copy: the newest messages (up to memoryBound
// bytes of records) are also kept in memory, and take() hands those out
// without reading the files; only what a restart left, or what waited
// longer than memory holds, is read back. The confirmed index reaches its
// file at most every ackSaveMs (and on close()): after a crash the broker
// may get up to that much again, never less.
class MqttDiskQueue
{
public:
    struct Message
    {
        qint64 index = 0;
        QByteArray topic;
        QByteArray payload;
    };

    // The smallest bound a queue takes: a smaller one is raised to it.
    static constexpr qint64 smallestBound = qint64(64) << 10;
    // Record bytes kept in memory besides the files, at most.
    static constexpr qint64 memoryBound = qint64(16) << 20;
    static constexpr int ackSaveMs = 100;

    // $XDG_STATE_HOME/varnokterm/mqtt/<name> (~/.local/state without the
    // variable): a folder that outlives the program and is never swept.
    static QString folderFor(const QString &name);

    MqttDiskQueue() = default;
    ~MqttDiskQueue();
    MqttDiskQueue(const MqttDiskQueue &) = delete;
    MqttDiskQueue &operator=(const MqttDiskQueue &) = delete;

    // Opens `folder` (made if missing) and takes up what it holds; empty, or
    // why it can't be used.
    QString open(const QString &folder, qint64 boundBytes);
    void close();
    bool isOpen() const { return m_writer.isOpen(); }
    QString folder() const { return m_folder; }

    // The index the next message gets.
    qint64 nextIndex() const { return m_next; }
    // Keeps a message; false when it can't be written (error() says why) or
    // is larger than the bound (then it counts as dropped).
    bool append(QByteArrayView topic, QByteArrayView payload);
    // Hands what append() buffered to the file system.
    void flush();

    // Up to `count` messages from the send cursor on; the cursor moves past them.
    QList<Message> take(int count);
    bool hasUntaken() const { return m_cursor < m_next; }
    // The send cursor goes back to the first unconfirmed message.
    void rewind();
    // The broker has every message up to `index`.
    void acknowledge(qint64 index);
    // Writes a confirmed index that acknowledge() left for later.
    void saveConfirmed();

    qint64 firstUnconfirmed() const { return m_acknowledged; }
    // Messages kept and not yet confirmed.
    qint64 waiting() const { return m_next - m_acknowledged; }
    // Unconfirmed messages dropped to keep the bound, since open().
    qint64 dropped() const { return m_dropped; }
    qint64 bytes() const { return m_bytes; }
    // The last failure to write, or empty.
    QString error() const { return m_error; }

private:
    struct Segment
    {
        qint64 first = 0;
        qint64 count = 0;
        qint64 bytes = 0;
    };
    QString segmentPath(qint64 first) const;
    Segment scanSegment(qint64 first);
    bool startSegment(qint64 first);
    void dropOldestSegment();
    void removeConfirmedSegments();
    void saveAcknowledged();
    bool readFromFile(Message &message);
    void keepInMemory(QByteArrayView topic, QByteArrayView payload, qint64 size);
    void forgetFromMemory(qint64 before);
    qint64 segmentLimit() const;

    QString m_folder;
    qint64 m_bound = 0;
    QList<Segment> m_segments; // oldest first; the last one is written
    QFile m_writer;
    QFile m_reader; // the send cursor's segment
    qint64 m_readerFirst = -1;
    qint64 m_readerAt = 0; // index of the record at m_reader's position
    QFile m_acknowledgedFile;
    qint64 m_next = 1;
    qint64 m_acknowledged = 1;
    qint64 m_cursor = 1;
    qint64 m_bytes = 0;
    qint64 m_dropped = 0;
    QString m_error;
    // Messages m_memoryFirst .. m_next - 1, as appended.
    std::deque<Message> m_memory;
    qint64 m_memoryFirst = 1;
    qint64 m_memoryBytes = 0;
    QByteArray m_lastTopic; // shared by the messages that have it
    QElapsedTimer m_acknowledgedSaved;
    bool m_acknowledgedUnsaved = false;
};
