#pragma once

#include "devices/channel.h"
#include "devices/recordings.h"

#include <QObject>
#include <QString>

// Everything the program keeps for the whole run: the two channels, the
// serial settings string they share, and the recordings of their data.
class CaptureSession : public QObject
{
    Q_OBJECT

public:
    explicit CaptureSession(QObject *parent = nullptr);

    Channel &channel(int number) { return number == 1 ? m_channel1 : m_channel2; }
    const Channel &channel(int number) const { return number == 1 ? m_channel1 : m_channel2; }
    Channel &channel1() { return m_channel1; }
    Channel &channel2() { return m_channel2; }
    Recordings &recordings() { return m_recordings; }
    const Recordings &recordings() const { return m_recordings; }

    // "speed,parity,data,stop", applied to a port when it is switched on.
    QString serialSettings() const { return m_serialSettings; }
    void setSerialSettings(const QString &settings) { m_serialSettings = settings; }

    // Set once by the sign-on splash before the main window first shows.
    void setSignOnDefaults();

private:
    QString m_serialSettings;
    Channel m_channel1{1, true};
    Channel m_channel2{2, false};
    // After the channels: its files are finished before they go.
    Recordings m_recordings{m_channel1, m_channel2};
};
