#include "tcp_demo.h"

#include <QRandomGenerator>
#include <QTcpSocket>

#include <cstdio>

TcpDemo::TcpDemo(const StreamTiming &timing, QObject *parent)
    : QObject(parent)
    , m_timing(timing)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpDemo::acceptClients);
}

bool TcpDemo::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

void TcpDemo::acceptClients()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        const QByteArray who = QByteArray::number(socket->peerPort());
        std::printf("Client connected (127.0.0.1:%s)\n", who.constData());
        std::fflush(stdout);

        auto *stream = new SampleStream(m_timing, QRandomGenerator::global()->generate(), socket);
        connect(stream, &SampleStream::bytesReady, socket,
                [socket](const QByteArray &bytes) { socket->write(bytes); });
        connect(socket, &QTcpSocket::readyRead, socket,
                [socket] { socket->write(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, socket, [socket, who] {
            std::printf("Client disconnected (127.0.0.1:%s)\n", who.constData());
            std::fflush(stdout);
            socket->deleteLater();
        });
        stream->start();
    }
}
