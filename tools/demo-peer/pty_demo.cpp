#include "pty_demo.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyDemo::PtyDemo(const StreamTiming &timing, QObject *parent)
    : QObject(parent)
    , m_stream(timing, QRandomGenerator::global()->generate())
{
    connect(&m_stream, &SampleStream::bytesReady, this, &PtyDemo::send);
    m_watch.setInterval(100);
    connect(&m_watch, &QTimer::timeout, this, &PtyDemo::checkForUser);
}

PtyDemo::~PtyDemo()
{
    m_reader.reset();
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyDemo::open()
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Raw, like a serial line: no echo, no line editing, no CR/LF changes.
    termios settings{};
    if (::tcgetattr(slave, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::cfsetspeed(&settings, B9600);
        ::tcsetattr(slave, TCSANOW, &settings);
    }
    ::close(slave);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    m_devicePath = QString::fromLocal8Bit(name);

    m_reader = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    m_reader->setEnabled(false);
    connect(m_reader.get(), &QSocketNotifier::activated, this, &PtyDemo::readFromUser);
    m_watch.start();
    return true;
}

// While no one has the slave open, the master reports a hang-up.
void PtyDemo::checkForUser()
{
    pollfd watched{m_master, POLLIN, 0};
    if (::poll(&watched, 1, 0) < 0 || (watched.revents & POLLHUP))
        return;
    m_watch.stop();
    std::printf("Device opened\n");
    std::fflush(stdout);
    m_reader->setEnabled(true);
    m_stream.start();
}

void PtyDemo::readFromUser()
{
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count > 0) {
            send(QByteArray(buffer, count)); // echo
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        userLeft(); // EIO: the last user closed the device
        return;
    }
}

void PtyDemo::userLeft()
{
    m_reader->setEnabled(false);
    m_stream.stop();
    std::printf("Device closed\n");
    std::fflush(stdout);
    m_watch.start();
}

void PtyDemo::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (count > 0) {
            done += count;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // The device's buffer is full (its user is not reading): like a
        // real instrument, carry on and let the bytes go.
        return;
    }
}
