#include "support/ser2net_server.h"

#include "support/tcp_peer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

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
    return TcpPeer::startServer(m_process, QString::fromLatin1(program),
                                {QStringLiteral("-n"), QStringLiteral("-c"), config}, m_port);
}

Ser2NetServer::~Ser2NetServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill(); // by its own process id
        m_process.waitForFinished(5000);
    }
}
