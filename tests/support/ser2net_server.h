#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// ser2net serving one device on 127.0.0.1 only, in the foreground, for as
// long as this object lives (it is killed by its process id at the end).
class Ser2NetServer
{
public:
    static constexpr char program[] = "/usr/sbin/ser2net";
    static bool isInstalled();

    // `accepter` is ser2net's protocol stack without the address, such as
    // "telnet(rfc2217)" or "telnet"; the device is served at 9600n81.
    // Returns once the server listens; false when it does not start.
    // `bufferBytes` sets how much the server reads from either side at a
    // time (ser2net's dev-to-net and net-to-dev buffers; 0 keeps its own).
    bool start(const QString &accepter, const QString &devicePath, int bufferBytes = 0);
    quint16 port() const { return m_port; }
    ~Ser2NetServer();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
