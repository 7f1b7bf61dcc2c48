#pragma once

#include "sample_stream.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <memory>

// Plays a serial instrument on a pseudo-terminal. The program under test
// opens the slave device (its path is devicePath()); the demo keeps only
// the master, so it can tell when nobody has the device open and sends
// nothing then (bytes written meanwhile would greet the next user stale).
class PtyDemo : public QObject
{
    Q_OBJECT

public:
    PtyDemo(const StreamTiming &timing, QObject *parent = nullptr);
    ~PtyDemo() override;

    // False (with the reason in errorString()) when no pty can be made.
    bool open();
    QString devicePath() const { return m_devicePath; }
    QString errorString() const { return m_error; }

private:
    void checkForUser();
    void readFromUser();
    void userLeft();
    void send(const QByteArray &bytes);

    SampleStream m_stream;
    QTimer m_watch; // looks for a user while nobody has the device open
    std::unique_ptr<QSocketNotifier> m_reader;
    int m_master = -1;
    QString m_devicePath;
    QString m_error;
};
