#include "devices/channel_bridge.h"

#include "devices/channel.h"
#include "devices/transmit_queue.h"

#include <QLocale>
#include <QStringList>

#include <utility>

ChannelBridge::ChannelBridge(QObject *parent)
    : QObject(parent)
{}

ChannelBridge::~ChannelBridge()
{
    stop();
}

void ChannelBridge::start(Channel &a, Channel &b, BridgeChoice::Ways ways)
{
    Q_ASSERT(&a != &b);
    stop();
    m_a = &a;
    m_b = &b;
    m_ways = ways;
    m_forward = {};
    m_back = {};
    for (Channel *channel : {m_a, m_b})
        channel->setAutoStartHeld(true);
    if (ways != BridgeChoice::Ways::Back)
        listen(m_forward, a, b);
    if (ways != BridgeChoice::Ways::Forward)
        listen(m_back, b, a);
    // A channel going away takes the bridge with it.
    for (Channel *channel : {m_a, m_b})
        m_connections << connect(channel, &QObject::destroyed, this, [this] {
            m_a = m_b = nullptr; // nothing of them to undo
            stop();
        });
    emit changed();
}

void ChannelBridge::listen(Way &way, Channel &from, Channel &to)
{
    m_connections << connect(
        &from, &Channel::batchReceived, this,
        [this, &way, &from, &to](const QByteArray &batch, const ArrivalTime &) {
            carry(way, from, to, batch);
        });
    // The sink's queue shrinks as its device takes bytes, and empties when
    // its link fails or closes.
    m_connections << connect(&to.link().queue(), &TransmitQueue::handedOver, this,
                             [this, &way, &from, &to] { letGoIfDrained(way, from, to); });
    m_connections << connect(&to, &Channel::linkChanged, this,
                             [this, &way, &from, &to] { letGoIfDrained(way, from, to); });
}

void ChannelBridge::carry(Way &way, Channel &from, Channel &to, const QByteArray &batch)
{
    const TransmitQueue &queue = to.link().queue();
    const auto hold = [&way, &from] {
        way.held = way.held || from.link().holdReading(true);
        return way.held;
    };
    // A held source may still hand over what it had read: the sink takes it.
    const bool room = queue.pending() < m_bound || hold();
    // A file transfer's program owns the sink's line meanwhile.
    if (!room || to.isTransferring() || !to.sendUntyped(Transmission(batch))) {
        way.dropped += batch.size();
        return;
    }
    way.forwarded += batch.size();
    if (queue.pending() >= m_bound)
        hold();
}

void ChannelBridge::letGoIfDrained(Way &way, Channel &from, Channel &to)
{
    if (!way.held || to.link().queue().pending() > m_bound / 2)
        return;
    way.held = false;
    from.link().holdReading(false);
}

void ChannelBridge::stop()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    if (!m_a)
        return;
    if (m_forward.held)
        m_a->link().holdReading(false);
    if (m_back.held)
        m_b->link().holdReading(false);
    m_forward.held = m_back.held = false;
    for (Channel *channel : {m_a, m_b})
        channel->setAutoStartHeld(false);
    m_a = m_b = nullptr;
    emit changed();
}

BridgeChoice ChannelBridge::choice() const
{
    if (!isOn())
        return {};
    return {m_a->number(), m_b->number(), m_ways};
}

QString ChannelBridge::statusText() const
{
    if (!isOn())
        return {};
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    const auto wayText = [](int from, int to, const Way &way) {
        QString text =
            QStringLiteral("%1>%2 %3 B").arg(from).arg(to).arg(english.toString(way.forwarded));
        if (way.dropped > 0)
            text += QStringLiteral(", %1 dropped").arg(english.toString(way.dropped));
        if (way.held)
            text += QStringLiteral(" (held)");
        return text;
    };
    QStringList ways;
    if (m_ways != BridgeChoice::Ways::Back)
        ways << wayText(m_a->number(), m_b->number(), m_forward);
    if (m_ways != BridgeChoice::Ways::Forward)
        ways << wayText(m_b->number(), m_a->number(), m_back);
    return QStringLiteral("Bridge ") + ways.join(QStringLiteral("  "));
}

#include "moc_channel_bridge.cpp"
