#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A TCP listener on 127.0.0.1 at a port the system picks, for a channel to
// connect to; raw sockets, so the benchmark's own side costs next to nothing.
struct LoopbackListener
{
    int fd = -1;
    quint16 port = 0;
    LoopbackListener()
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // this machine only
        ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::listen(fd, 1);
        socklen_t len = sizeof addr;
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
        port = ntohs(addr.sin_port);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    ~LoopbackListener() { ::close(fd); }
    LoopbackListener(const LoopbackListener &) = delete;
    LoopbackListener &operator=(const LoopbackListener &) = delete;

    // The connection the program makes, with its events running meanwhile;
    // -1 when none came within `ms`.
    int accept(int ms = 5000) const
    {
        int peer = -1;
        QElapsedTimer clock;
        clock.start();
        while (peer < 0 && clock.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            peer = ::accept(fd, nullptr, nullptr);
        }
        return peer;
    }
};
