#pragma once

#include <QByteArray>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

// A TCP peer on 127.0.0.1 for the program to connect to.
class TcpPeer
{
public:
    TcpPeer(); // listens on a free port of 127.0.0.1
    quint16 port() const { return m_server.serverPort(); }

    // Waits for the program's connection.
    bool waitForClient(int timeoutMs = 5000);
    bool hasClient() const { return !m_client.isNull(); }
    int connectionsAccepted() const { return m_accepted; }
    // Waits until `count` bytes have come in (or the time-out) and returns
    // everything received so far.
    QByteArray received(qsizetype count, int timeoutMs = 5000);
    QByteArray receivedFor(int ms);
    void send(const QByteArray &bytes);
    void close(); // a clean close
    void reset(); // an abort, as after a crash
    bool waitForDisconnect(int timeoutMs = 5000);

    // A port of 127.0.0.1 that refuses connections.
    static quint16 refusedPort();
    // Whether something listens on 127.0.0.1:port, read from the kernel's
    // table rather than by connecting (a connection would take a server's
    // one client).
    static bool isListening(quint16 port);
    // Starts a server program (its output dropped, its errors shown) and
    // waits up to 10 s until it listens on 127.0.0.1:port; false when it
    // fails to start or ends first.
    static bool startServer(QProcess &process, const QString &program, const QStringList &arguments,
                            quint16 port);

private:
    void collect();

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_received;
    int m_accepted = 0;
    bool m_disconnected = false;
};
