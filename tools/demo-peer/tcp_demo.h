#pragma once

#include "sample_stream.h"

#include <QObject>
#include <QTcpServer>

// Serves the sample data on 127.0.0.1 only: every client gets its own
// stream and hears back everything it sends.
class TcpDemo : public QObject
{
    Q_OBJECT

public:
    TcpDemo(const StreamTiming &timing, QObject *parent = nullptr);

    // False (with the reason in errorString()) when the port is taken.
    bool listen(quint16 port);
    QString errorString() const { return m_server.errorString(); }

private:
    void acceptClients();

    StreamTiming m_timing;
    QTcpServer m_server;
};
