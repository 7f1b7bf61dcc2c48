#pragma once

#include "devices/channel.h"

#include <QObject>
#include <QString>

// Everything the program keeps for the whole run: the two channels and the
// serial settings string they share.
class CaptureSession : public QObject
{
    Q_OBJECT

public:
    explicit CaptureSession(QObject *parent = nullptr);

    Channel &channel(int number) { return number == 1 ? m_channel1 : m_channel2; }
    const Channel &channel(int number) const { return number == 1 ? m_channel1 : m_channel2; }
    Channel &channel1() { return m_channel1; }
    Channel &channel2() { return m_channel2; }

    // "speed,parity,data,stop", applied to a port when it is switched on.
    QString serialSettings() const { return m_serialSettings; }
    void setSerialSettings(const QString &settings) { m_serialSettings = settings; }

    // Set once by the sign-on splash before the main window first shows.
    void setSignOnDefaults();

private:
    QString m_serialSettings;
    Channel m_channel1{1, true};
    Channel m_channel2{2, false};
};
