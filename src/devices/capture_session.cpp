#include "devices/capture_session.h"

#include <algorithm>

CaptureSession::CaptureSession(int channelCount, QObject *parent)
    : QObject(parent)
{
    Q_ASSERT(channelCount >= defaultChannelCount && channelCount <= maxChannelCount);
    // Every channel may use the network.
    for (int number :
         ::channelNumbers(std::clamp(channelCount, defaultChannelCount, maxChannelCount)))
        m_channels.push_back(std::make_unique<Channel>(number, true));
    m_recordings = std::make_unique<Recordings>(channels());
    m_publisher = std::make_unique<MqttPublisher>(channels());
}

// The recordings go first: their files are finished while the channels
// they listen to still exist.
CaptureSession::~CaptureSession()
{
    m_publisher.reset();
    m_recordings.reset();
}

QList<Channel *> CaptureSession::channels() const
{
    QList<Channel *> all;
    for (const auto &channel : m_channels)
        all << channel.get();
    return all;
}

void CaptureSession::setSerialSettings(const QString &settings)
{
    m_serialSettings = settings;
    for (const auto &channel : m_channels)
        channel->setSerialSettings(settings);
}

void CaptureSession::setChannelSettings(int number, const QString &settings)
{
    channel(number).setSerialSettings(settings, settings != m_serialSettings);
}

void CaptureSession::setBridge(const BridgeChoice &choice)
{
    if (choice.isOn())
        m_bridge->start(channel(choice.a), channel(choice.b), choice.ways);
    else
        m_bridge->stop();
}

void CaptureSession::setSignOnDefaults()
{
    setSerialSettings(QStringLiteral("9600,n,8,1"));
    for (const auto &channel : m_channels)
        channel->setSignOnDefaults();
}

#include "moc_capture_session.cpp"
