#pragma once

#include <QFile>
#include <QList>
#include <QObject>
#include <QString>

class Channel;

// Streams a regular file over a channel's route as fast as the port or
// connection takes it: a piece is read only when little waits in the link's
// queue, so the file is never held in memory. Its bytes count as sent
// (status line, logs) but stay out of the transmit records. Ends once every
// byte has been written to the device, when cancelled, when the channel
// goes off (switched off, or its port or connection failed), when the link
// starts waiting to reconnect, or when the file can no longer be read.
//
// Only a regular file is sent: a named pipe, a device, a folder or a socket
// is refused without blocking (named_file.h), so the window's thread never
// waits on a file.
//
// sent() never counts bytes the device did not get: when the port or
// connection fails, what still waited to go out is dropped by the link and
// taken off sent(). A send is not resumed after a reconnect, because the
// device may have lost what it had taken too; it stops (LinkLost) and
// sent() says how many bytes reached the device, so the operator can send
// the file again. Typed bytes dropped along with the file's are taken off
// too, so the count may fall short but never claims more than went out.
class FileSender : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        Sent,
        Cancelled,
        ChannelOff,
        LinkLost, // the link waits to reconnect
        ReadFailed
    };

    // How much is read at a time, and how much may wait in the queue before
    // the next read.
    static constexpr qint64 pieceSize = 64 * 1024;
    static constexpr qint64 queuedAtMost = 128 * 1024;

    explicit FileSender(Channel &channel, QObject *parent = nullptr);

    // Opens the file and starts sending; false when it can't be read or is
    // not a regular file (error() says why), or the channel is off or waits
    // to reconnect. An empty file is sent at once: connect to finished()
    // first.
    bool start(const QString &path);
    // Reads no more; what was handed to the link still goes out.
    void cancel();

    QString path() const { return m_path; }
    // The file's size when sending started.
    qint64 total() const { return m_total; }
    // Bytes handed to the channel so far, less any dropped with a failed
    // port or connection.
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
    QString m_path;
    QFile m_file;
    QByteArray m_held; // read but refused by the queue: offered again
    qint64 m_total = 0;
    qint64 m_sent = 0;
    bool m_atEnd = false;
    bool m_running = false;
    QString m_error;
    QList<QMetaObject::Connection> m_hooks;
};
