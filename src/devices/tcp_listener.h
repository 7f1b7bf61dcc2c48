#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

class QTcpServer;

// A listening TCP socket that serves one client at a time: the first
// client's connection is handed on (accepted()); while that one is
// served, each further client is accepted and closed at once (turnedAway()),
// so it learns it can't come in rather than waiting. The listener goes on
// listening until close().
class TcpListener : public QObject
{
    Q_OBJECT

public:
    explicit TcpListener(QObject *parent = nullptr);
    ~TcpListener() override;

    // Listens on `address` (127.0.0.1, or QHostAddress::Any for every local
    // address); an empty text, or why it can't.
    QString listen(const QHostAddress &address, quint16 port);
    void close();
    bool isListening() const;
    // The client handed on has gone: the next may come in.
    void clientLeft() { m_serving = false; }

signals:
    // A client's connected socket, now the caller's to close; `peer` is
    // "address:port".
    void accepted(int fd, const QString &peer);
    void turnedAway(const QString &peer);

private:
    void onNewConnection(qintptr fd);

    QTcpServer *m_server = nullptr;
    bool m_serving = false;
};
