#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// The timing of bringing a lost link back; the link itself does the opening.
// A serial device is waited for by its path, checked twice a second: due()
// comes at each check that finds a character device there (a path that
// comes back as another kind of file is held off, and says so). A TCP peer
// is tried again after 0.5 s, then after twice as long at each failure, up
// to 10 s. A connection that comes back does not undo the back-off until
// it has stayed up for 10 s or carried data: a peer that accepts and drops
// every connection at once is tried ever less often, not twice a second.
class LinkReconnect : public QObject
{
    Q_OBJECT

public:
    static constexpr int devicePollMs = 500;
    static constexpr int firstRetryMs = 500;
    static constexpr int longestRetryMs = 10000;
    static constexpr int settledMs = 10000;

    explicit LinkReconnect(QObject *parent = nullptr);

    void waitForDevice(const QString &path);
    // `peer` names it for the operator: "host:port".
    void waitForPeer(const QString &peer);
    // The peer's try failed: the next comes after a longer wait.
    void retryLater();
    // The peer's try succeeded: the wait ends, and should this connection
    // fail before it settles, the next wait is the longer one.
    void reconnected();
    // The connection carried data: it is a working one, the back-off starts over.
    void carriedData();
    // Waiting ends and the back-off starts over (switched off or on anew).
    void stop();

    bool isWaiting() const { return !m_target.isEmpty(); }
    bool isWaitingForDevice() const { return isWaiting() && m_device; }
    QString target() const { return m_target; }
    // Why the file now at the device's path is not opened; empty when the
    // path is missing or has not been checked yet.
    QString heldOff() const { return m_heldOff; }
    int nextRetryMs() const { return m_retryMs; }

    // A character device (a serial port or a terminal) is at `path`,
    // following symbolic links.
    static bool isCharacterDevice(const QString &path);

signals:
    void due();

private:
    void checkDevice();

    QTimer m_timer;
    QTimer m_settle; // a connection that stays up this long starts the back-off over
    QString m_target;
    QString m_heldOff;
    bool m_device = false;
    int m_retryMs = firstRetryMs;
};
