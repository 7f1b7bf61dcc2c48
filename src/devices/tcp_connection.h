#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QSocketNotifier;

// One TCP connection (made here, or accepted by a listener) on a socket of its own, from the
// attempt to its end. It tells apart what Qt's socket classes blur: a peer that resets the
// connection is reported as a reset, not as a close, and a connection that is reset while it is
// being made is reported, never tried again behind the caller's back. What the peer sent before the
// end is always handed on first.
//
// Writes are kept until the socket takes them, so data sent while connecting
// goes out once connected, in order.
class TcpConnection : public QObject
{
    Q_OBJECT

public:
    enum class End
    {
        Refused, // nobody listens there
        Reset,   // the peer reset the connection
        Closed,  // the peer closed it in order
        Other,   // any other failure; the reason says which
    };

    explicit TcpConnection(QObject *parent = nullptr);
    ~TcpConnection() override; // aborts

    // Starts the attempt and returns at once; connected() or ended() follows
    // from the event loop, never from inside this call.
    void start(const QHostAddress &address, quint16 port);
    // Takes a connection a listening socket accepted: connected at once, no
    // connected() signal.
    void adopt(int fd);
    bool isConnected() const { return m_state == State::Connected; }

    void send(QByteArrayView bytes);
    qint64 bytesToWrite() const { return m_outgoing.size() - m_written; }

    // Ends the connection in order: what waits to go out is handed over
    // first (for at most `graceMs`), then the peer sees a close. The object
    // deletes itself when done and sends no more signals.
    void closeGracefully(int graceMs);
    // While paused nothing is read: the kernel's buffer fills and TCP's own
    // flow control holds the peer back. For a receiver that must catch up.
    void setReadingPaused(bool paused);

signals:
    void connected();
    // Everything read in one go (at most 64 KiB), never empty.
    void received(const QByteArray &batch);
    void bytesWritten(qint64 count);
    // The attempt failed or the connection ended; the socket is closed.
    void ended(TcpConnection::End end, const QString &reason);

private:
    enum class State
    {
        Idle,
        Connecting,
        Connected,
        Closing,
        Done
    };

    void onWritable();
    void onReadable();
    void finishConnecting();
    bool readAvailable(int *error);
    void writePending();
    void discardIncoming();
    void endWith(int error);
    void closeSocket();

    int m_fd = -1;
    State m_state = State::Idle;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    bool m_readingPaused = false;
    QByteArray m_outgoing;
    qsizetype m_written = 0;
};
