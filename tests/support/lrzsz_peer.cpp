#include "support/lrzsz_peer.h"

#include "support/pty_pair.h"

#include <QTest>

#include <unistd.h>

LrzszPeer::LrzszPeer(PtyPair &pty, const QString &program, const QStringList &arguments,
                     const QString &folder)
    : m_fd(pty.masterFd())
    , m_readable(m_fd, QSocketNotifier::Read)
    , m_writable(m_fd, QSocketNotifier::Write)
{
    m_writable.setEnabled(false);
    QObject::connect(&m_readable, &QSocketNotifier::activated, [this] {
        char buffer[65536];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0)
            m_process.write(buffer, n);
    });
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
        m_out += m_process.readAllStandardOutput();
        flush();
    });
    QObject::connect(&m_writable, &QSocketNotifier::activated, [this] { flush(); });
    start(program, arguments, folder);
}

LrzszPeer::LrzszPeer(QIODevice &connection, const QString &program, const QStringList &arguments,
                     const QString &folder)
    : m_readable(QSocketNotifier::Read)
    , m_writable(QSocketNotifier::Write)
{
    QObject::connect(&connection, &QIODevice::readyRead,
                     [this, &connection] { m_process.write(connection.readAll()); });
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                     [this, &connection] { connection.write(m_process.readAllStandardOutput()); });
    start(program, arguments, folder);
}

void LrzszPeer::start(const QString &program, const QStringList &arguments, const QString &folder)
{
    m_process.setWorkingDirectory(folder);
    m_process.start(program, arguments);
}

LrzszPeer::~LrzszPeer()
{
    m_process.kill();
    m_process.waitForFinished();
}

int LrzszPeer::waitForExit(int ms)
{
    if (!QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, ms))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void LrzszPeer::flush()
{
    while (!m_out.isEmpty()) {
        const ssize_t n = ::write(m_fd, m_out.constData(), size_t(m_out.size()));
        if (n <= 0)
            break; // full: on when it takes more
        m_out.remove(0, n);
    }
    m_writable.setEnabled(!m_out.isEmpty());
}
