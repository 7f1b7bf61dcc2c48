#pragma once

#include "core/channel_list.h"
#include "devices/channel.h"
#include "devices/recordings.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

// Everything the program keeps for the whole run: one Channel per entry of
// the channel list, and the recordings of their data.
class CaptureSession : public QObject
{
    Q_OBJECT

public:
    explicit CaptureSession(QObject *parent = nullptr);
    ~CaptureSession() override;

    // The channel "Comm Port `number`"; the number must be on the list.
    Channel &channel(int number) { return *m_channels.at(size_t(number - 1)); }
    const Channel &channel(int number) const { return *m_channels.at(size_t(number - 1)); }
    // Every channel, in the list's order.
    QList<Channel *> channels() const;
    Recordings &recordings() { return *m_recordings; }
    const Recordings &recordings() const { return *m_recordings; }

    // "speed,parity,data,stop", applied to a port when it is switched on:
    // the channels' serial settings (Channel::serialSettings()), one string
    // for all of them.
    QString serialSettings() const { return m_channels.front()->serialSettings(); }
    void setSerialSettings(const QString &settings);

    // Set once by the sign-on splash before the main window first shows.
    void setSignOnDefaults();

private:
    std::vector<std::unique_ptr<Channel>> m_channels; // by number - 1
    // After the channels: its files are finished before they go.
    std::unique_ptr<Recordings> m_recordings;
};
