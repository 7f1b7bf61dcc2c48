#pragma once

#include "core/channel_list.h"
#include "core/mqtt/mqtt_settings.h"
#include "devices/channel.h"
#include "devices/channel_bridge.h"
#include "devices/mqtt_publisher.h"
#include "devices/recordings.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

// Everything the program keeps for the whole run: `channelCount` Channels
// (defaultChannelCount to maxChannelCount, fixed for the run), the
// recordings of their data, their publishing to an MQTT broker and the
// bridge between two of them.
class CaptureSession : public QObject
{
    Q_OBJECT

public:
    explicit CaptureSession(int channelCount = defaultChannelCount, QObject *parent = nullptr);
    ~CaptureSession() override;

    int channelCount() const { return int(m_channels.size()); }
    QList<int> channelNumbers() const { return ::channelNumbers(channelCount()); }
    // The channel "Comm Port `number`", 1 to channelCount().
    Channel &channel(int number) { return *m_channels.at(size_t(number - 1)); }
    const Channel &channel(int number) const { return *m_channels.at(size_t(number - 1)); }
    // Every channel, by number.
    QList<Channel *> channels() const;
    Recordings &recordings() { return *m_recordings; }
    const Recordings &recordings() const { return *m_recordings; }
    MqttPublisher &publisher() { return *m_publisher; }
    const MqttPublisher &publisher() const { return *m_publisher; }
    // The [MQTT] settings a setup holds; publisher().apply() puts them to use.
    const MqttSettings &mqttSettings() const { return m_mqttSettings; }
    void setMqttSettings(const MqttSettings &settings) { m_mqttSettings = settings; }

    // "speed,parity,data,stop" the channels share ([Serial] Settings in a
    // setup file). setSerialSettings() gives it to every channel, none keeps
    // its own; setChannelSettings() gives one channel its own and leaves the
    // others as they are (settings equal to the shared ones are not its own).
    // What a channel switches on with is its Channel::serialSettings().
    QString serialSettings() const { return m_serialSettings; }
    void setSerialSettings(const QString &settings);
    void setChannelSettings(int number, const QString &settings);

    // The bridge between two channels (Link > Bridge, the setup's Bridge
    // key, a script's bridge()), off at first.
    ChannelBridge &bridge() { return *m_bridge; }
    const ChannelBridge &bridge() const { return *m_bridge; }
    // Starts the bridge the choice names (its channels on the list), or
    // stops it for Off.
    void setBridge(const BridgeChoice &choice);

    // Set once by the sign-on splash before the main window first shows.
    void setSignOnDefaults();

private:
    MqttSettings m_mqttSettings;
    QString m_serialSettings;
    std::vector<std::unique_ptr<Channel>> m_channels; // by number - 1
    // After the channels: its files are finished before they go.
    std::unique_ptr<Recordings> m_recordings;
    std::unique_ptr<MqttPublisher> m_publisher;
    // Goes before the channels it links.
    std::unique_ptr<ChannelBridge> m_bridge = std::make_unique<ChannelBridge>();
};
