#include "support/ser2net_server.h"

#include "support/tcp_peer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

// Whether something listens on 127.0.0.1:port, read from the kernel's table
// rather than by connecting (a connection would take the server's one client).
bool isListening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields.at(1) == local && fields.at(3) == "0A")
            return true;
    }
    return false;
}

} // namespace

bool Ser2NetServer::isInstalled()
{
    return QFileInfo(QString::fromLatin1(program)).isExecutable();
}

bool Ser2NetServer::start(const QString &accepter, const QString &devicePath, int bufferBytes)
{
    m_port = TcpPeer::refusedPort(); // nobody listens there now
    const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (m_port == 0 || !file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("%YAML 1.1\n---\nconnection: &test\n"
                              "  accepter: %1,tcp,127.0.0.1,%2\n"
                              "  connector: serialdev,%3,9600n81,local\n"
                              "  options:\n    kickolduser: false\n")
                   .arg(accepter)
                   .arg(m_port)
                   .arg(devicePath)
                   .toUtf8());
    if (bufferBytes > 0)
        file.write(QStringLiteral("    dev-to-net-bufsize: %1\n    net-to-dev-bufsize: %1\n")
                       .arg(bufferBytes)
                       .toUtf8());
    file.close();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(QString::fromLatin1(program),
                    {QStringLiteral("-n"), QStringLiteral("-c"), config});
    if (!m_process.waitForStarted(5000))
        return false;
    QDeadlineTimer deadline(10000);
    while (!isListening(m_port)) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running)
            return false;
        QTest::qWait(20);
    }
    return true;
}

Ser2NetServer::~Ser2NetServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill(); // by its own process id
        m_process.waitForFinished(5000);
    }
}
