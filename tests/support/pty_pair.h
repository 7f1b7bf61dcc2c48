#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A pseudo-terminal pair standing in for a serial device: the program opens
// the slave's path, the test plays the device on the master.
//
// The path is a link of this pair's own to the slave. Serial ports lock by
// name, and the kernel hands a freed /dev/pts number to the next pair at
// once: another test process's port that has just closed that number may
// not have removed its lock yet, and the open would fail as "busy".
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // The device's side, non-blocking, for writers of their own.
    int masterFd() const { return m_master; }
    // The slave's side, for reading back its terminal settings.
    int slaveFd() const { return m_slave; }

    // Bytes written here arrive at whoever opened the slave.
    void write(const QByteArray &bytes);
    // Reads what the slave's user sent, waiting (and running the Qt event
    // loop) until `count` bytes are there or `timeoutMs` has passed.
    QByteArray read(qsizetype count, int timeoutMs = 3000);
    // Whatever arrives within `ms` (for checks that nothing was sent).
    QByteArray readFor(int ms);
    // Plays an unplugged device.
    void closeMaster();

private:
    QByteArray readAvailable();

    int m_master = -1;
    int m_slave = -1; // kept open so the slave end never hangs up early
    QTemporaryDir m_linkDir;
    QString m_slavePath;
};
