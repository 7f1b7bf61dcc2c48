#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QProcess>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>

class PtyPair;

// An lrzsz program (rz, sz, rx...) playing the device at a pty's master,
// joined to it through pipes: given the master itself, it would set the
// terminal's timings and wait a tenth of a second after every block.
// Or at the far end of a connection (a socket accepted on 127.0.0.1).
// Ended (by its PID) when destroyed.
class LrzszPeer
{
public:
    LrzszPeer(PtyPair &pty, const QString &program, const QStringList &arguments,
              const QString &folder);
    LrzszPeer(QIODevice &connection, const QString &program, const QStringList &arguments,
              const QString &folder);
    ~LrzszPeer();
    LrzszPeer(const LrzszPeer &) = delete;
    LrzszPeer &operator=(const LrzszPeer &) = delete;

    // Its exit status once it ended within `ms`, or -1.
    int waitForExit(int ms);
    // What it wrote on standard error so far.
    QByteArray words() { return m_process.readAllStandardError(); }

private:
    void flush();

    void start(const QString &program, const QStringList &arguments, const QString &folder);

    int m_fd = -1; // the pty's master, or -1 for a connection
    QSocketNotifier m_readable;
    QSocketNotifier m_writable;
    QProcess m_process;
    QByteArray m_out; // written by the program, not yet taken by the pty
};
