#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

// Channel 1's TCP connection, as a client only: it never listens.
class SocketComponent : public QObject
{
    Q_OBJECT

public:
    explicit SocketComponent(QObject *parent = nullptr);
    ~SocketComponent() override; // ends the connection

    void setRemoteHostName(const QString &host) { m_host = host; }
    QString remoteHostName() const { return m_host; }
    void setRemotePortNumber(quint16 port) { m_port = port; }
    quint16 remotePortNumber() const { return m_port; }

    // Starts connecting and returns at once; connected() or failed() follows.
    void connectToPeer();
    // Ends the connection or the attempt; harmless when there is none.
    void close();
    bool isConnected() const;
    bool isActive() const; // connecting or connected

    // Data sent while the connection is still being made goes out once it is
    // made, in order.
    void sendText(const QByteArray &bytes);

signals:
    void connected();
    // Everything read in one go (at most 64 KiB), never empty.
    void received(const QByteArray &batch);
    // The attempt failed or the peer dropped the connection. What the peer
    // sent before the end has been handed on by received() first.
    void failed(const QString &reason);

private:
    void onConnected();
    void onReadyRead();
    void onSocketError();
    void onDisconnected();
    void onConnectTimeout();
    // Hands on what is still unread, then reports the failure once.
    void fail(const QString &reason);
    // Lets go of the socket without any signal to this component; a deliberate
    // close lets data already sent go out first.
    void dropSocket(bool letPendingOut);

    QTcpSocket *m_socket = nullptr;
    QTimer *m_connectTimer = nullptr;
    QString m_host;
    quint16 m_port = 0;
    quint64 m_attempt = 0; // tells a current failure report from a stale one
    bool m_inConnectCall = false;
};
