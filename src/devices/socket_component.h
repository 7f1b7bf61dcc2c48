#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QHostInfo;
class QTimer;
class TcpConnection;

// A channel's TCP connection: made as a client (a host name is looked up
// first; an address is used as it is), or taken over from a listener that
// accepted a client (adoptClient()). It never listens itself.
class SocketComponent : public QObject
{
    Q_OBJECT

public:
    // How the last connection or attempt failed.
    enum class Failure
    {
        None,
        Refused, // nobody listened
        NotMade, // no answer, no such host, or another failure while connecting
        Reset,   // the peer reset the connection (also while it was being made)
        Closed,  // the peer closed it in order
        Broken,  // another failure of a working connection
    };

    explicit SocketComponent(QObject *parent = nullptr);
    ~SocketComponent() override; // ends the connection

    void setRemoteHostName(const QString &host) { m_host = host; }
    QString remoteHostName() const { return m_host; }
    void setRemotePortNumber(quint16 port) { m_port = port; }
    quint16 remotePortNumber() const { return m_port; }

    // Starts connecting and returns at once; connected() or failed() follows.
    void connectToPeer();
    // Takes a client's connection that a listener accepted; connected()
    // follows at once. `peer` ("address:port") names it.
    void adoptClient(int fd, const QString &peer);
    QString clientPeer() const { return m_clientPeer; }
    // Ends the connection in order (what waits to go out is handed over
    // first) or the attempt; harmless when there is none.
    void close();
    bool isConnected() const;
    bool isActive() const; // connecting or connected
    // Why reading is paused. Each reason holds it until it lets go, so one
    // part resuming never undoes another's pause.
    enum class Pause : unsigned
    {
        ReceiverBehind = 1, // the pane's file is behind (see Channel)
        AnswersUnread = 2,  // the peer does not read what we must answer (TelnetComPort)
        SinkFull = 4,       // a bridge's other channel has too much waiting to go out
    };
    // Stops reading the connection for now (TCP holds the peer back); a new
    // connection starts reading.
    void setReadingPaused(bool paused, Pause why = Pause::ReceiverBehind);
    bool isReadingPaused() const { return m_pausedFor != 0; }
    Failure lastFailure() const { return m_lastFailure; }

    // Data sent while the connection is still being made goes out once it is
    // made, in order.
    void sendText(QByteArrayView bytes);
    // What was sent and has not yet been taken by the system.
    qint64 bytesToWrite() const;
    // What was still to be taken by the system when the last attempt or
    // connection failed: dropped with it.
    qint64 droppedAtFailure() const { return m_droppedAtFailure; }

signals:
    void connected();
    // Everything read in one go (at most 64 KiB), never empty.
    void received(const QByteArray &batch);
    void bytesWritten(qint64 count);
    // The attempt failed or the connection ended. What the peer sent before
    // the end has been handed on by received() first.
    void failed(const QString &reason);

private:
    void makeConnection();
    void onLookedUp(const QHostInfo &info);
    void onConnected();
    void onEnded(int end, const QString &reason);
    void onConnectTimeout();
    void fail(Failure failure, const QString &reason);
    // Lets go of the connection without any signal to this component.
    void drop(bool letPendingOut);

    TcpConnection *m_connection = nullptr;
    QTimer *m_connectTimer = nullptr;
    int m_lookupId = -1;
    QString m_host;
    QString m_clientPeer;
    quint16 m_port = 0;
    Failure m_lastFailure = Failure::None;
    qint64 m_droppedAtFailure = 0;
    unsigned m_pausedFor = 0; // Pause bits
};
