#pragma once

#include <QFile>
#include <QList>
#include <QObject>
#include <QString>

class Channel;

// Streams a file over a channel's route as fast as the port or connection
// takes it: a piece is read only when little waits in the link's queue, so
// the file is never held in memory. Its bytes count as sent (status line,
// logs) but stay out of the transmit records. Ends once every byte has
// been written to the device, when cancelled, when the channel goes off
// (switched off, or its port or connection failed) or when the file can no
// longer be read.
class FileSender : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        Sent,
        Cancelled,
        ChannelOff,
        ReadFailed
    };

    // How much is read at a time, and how much may wait in the queue before
    // the next read.
    static constexpr qint64 pieceSize = 64 * 1024;
    static constexpr qint64 queuedAtMost = 128 * 1024;

    explicit FileSender(Channel &channel, QObject *parent = nullptr);

    // Opens the file and starts sending; false when it can't be read
    // (error() says why) or the channel is off. An empty file is sent at
    // once: connect to finished() first.
    bool start(const QString &path);
    // Reads no more; what was handed to the link still goes out.
    void cancel();

    QString path() const { return m_file.fileName(); }
    // The file's size, or 0 when it has none (a device or a pipe).
    qint64 total() const { return m_total; }
    // Bytes handed to the channel so far.
    qint64 sent() const { return m_sent; }
    // Of those, the ones the port or connection has written.
    qint64 written() const;
    bool isRunning() const { return m_running; }
    QString error() const { return m_error; }

signals:
    void progressed();
    void finished(FileSender::Outcome outcome);

private:
    void feed();
    qint64 deviceBacklog() const;
    void finish(Outcome outcome);

    Channel &m_channel;
    QFile m_file;
    QByteArray m_held; // read but refused by the queue: offered again
    qint64 m_total = 0;
    qint64 m_sent = 0;
    bool m_atEnd = false;
    bool m_running = false;
    QString m_error;
    QList<QMetaObject::Connection> m_hooks;
};
