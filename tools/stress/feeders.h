#pragma once

#include "support/pty_pair.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

class QThread;
class TcpFeederWorker;

// Plays a serial device on a pseudo-terminal: the program opens
// slavePath(); start() writes the data to the master from a thread of its
// own, in bursts of random sizes.
class PtyFeeder
{
public:
    PtyFeeder();
    ~PtyFeeder();
    PtyFeeder(const PtyFeeder &) = delete;
    PtyFeeder &operator=(const PtyFeeder &) = delete;

    bool isOpen() const { return m_pty.isOpen(); }
    QString slavePath() const { return m_pty.slavePath(); }
    void start(const QByteArray &data, quint32 seed);
    bool finished() const { return m_done; }
    QString error() const;

private:
    PtyPair m_pty;
    std::thread m_writer;
    std::atomic<bool> m_done{false};
    std::atomic<int> m_errno{0};
};

// A TCP peer on 127.0.0.1 (a QTcpServer in a thread of its own) that sends
// the data, in writes of random sizes, to the first client that connects.
class TcpFeeder
{
public:
    TcpFeeder(const QByteArray &data, quint32 seed);
    ~TcpFeeder();
    TcpFeeder(const TcpFeeder &) = delete;
    TcpFeeder &operator=(const TcpFeeder &) = delete;

    quint16 port() const { return m_port; }
    bool finished() const;

private:
    std::unique_ptr<QThread> m_thread;
    TcpFeederWorker *m_worker = nullptr;
    quint16 m_port = 0;
};
