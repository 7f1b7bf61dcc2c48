#include "support/pty_pair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    // Raw both ways: no echo, no CR/LF translation, so bytes pass unchanged.
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = m_linkDir.filePath(QStringLiteral("serial"));
    if (::symlink(name, QFile::encodeName(m_slavePath).constData()) != 0)
        m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

void PtyPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    QDeadlineTimer deadline(5000);
    while (done < bytes.size() && m_master >= 0 && !deadline.hasExpired()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        } else {
            // The slave's reader is behind: let the program's event loop run.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
}

QByteArray PtyPair::readAvailable()
{
    QByteArray out;
    char buf[4096];
    while (m_master >= 0) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, n);
    }
    return out;
}

QByteArray PtyPair::read(qsizetype count, int timeoutMs)
{
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (out.size() < count && !deadline.hasExpired()) {
        out += readAvailable();
        if (out.size() < count)
            QTest::qWait(5);
    }
    return out;
}

QByteArray PtyPair::readFor(int ms)
{
    QByteArray out;
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        out += readAvailable();
        QTest::qWait(5);
    }
    return out + readAvailable();
}

void PtyPair::closeMaster()
{
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}
