#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair standing in for a serial device: the program opens
// the slave's path, the test plays the device on the master.
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
    QString m_slavePath;
};
