#pragma once

#include "core/arrival_clock.h"
#include "core/bridge/bridge_choice.h"

#include <QByteArray>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QString>

class Channel;

// Forwards what one channel receives out of another, one way or both,
// while each channel goes on showing and recording as ever: the source's
// batches reach its pane and logs as received (batchReceived(), with their
// arrival time), and the sink sends them as untyped bytes, so its logs show
// them as sent, after the batch they came from. The bridge owns neither
// channel, works on any route (serial, TCP, RFC 2217, TCP Listen) and takes
// each switch-on, loss and reconnect as it comes; typing still goes to the
// channel typed in.
//
// Flow: once `bound` bytes wait in the sink's transmit queue, the source is
// held back if it can be (ChannelLink::holdReading: a connection, or a
// serial port with flow control) and let go when half of them went out.
// A source that can't be held is never read slower: while the sink's queue
// is at the bound, its batches are dropped and counted, as are batches the
// sink can't take at all (off, waiting for a client, queue full, running a
// file transfer). A source running a file transfer hands its batches to
// the transfer, not the bridge.
// While bridged, ZMODEM auto-start is held off on both channels.
class ChannelBridge : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 defaultBound = qint64(1) << 20;

    // One way of the bridge: bytes taken by the sink to go out, bytes
    // dropped, and whether the source is held back now.
    struct Way
    {
        qint64 forwarded = 0;
        qint64 dropped = 0;
        bool held = false;
    };

    explicit ChannelBridge(QObject *parent = nullptr);
    ~ChannelBridge() override; // lets go of both channels

    // Links `a` and `b` (two different channels) as `ways` says, ending any
    // bridge there was; the counts start from zero.
    void start(Channel &a, Channel &b, BridgeChoice::Ways ways);
    // Lets go of both channels: a held source reads again, auto-start is
    // as each channel chose. Harmless when not bridged.
    void stop();
    bool isOn() const { return m_a != nullptr; }
    // The channels' numbers and ways, or Off.
    BridgeChoice choice() const;

    // How many bytes may wait in a sink's queue before its source is held or
    // dropped from; applies from the next batch.
    void setBound(qint64 bytes) { m_bound = bytes; }
    qint64 bound() const { return m_bound; }

    const Way &forward() const { return m_forward; } // a to b
    const Way &back() const { return m_back; }       // b to a

    // The status line's words: "Bridge 1>2 1,024 B  2>1 512 B, 3 dropped",
    // "(held)" after a way whose source is held; empty when not bridged.
    QString statusText() const;

signals:
    // Started or stopped.
    void changed();

private:
    void carry(Way &way, Channel &from, Channel &to, const QByteArray &batch);
    void letGoIfDrained(Way &way, Channel &from, Channel &to);
    void listen(Way &way, Channel &from, Channel &to);

    Channel *m_a = nullptr;
    Channel *m_b = nullptr;
    BridgeChoice::Ways m_ways = BridgeChoice::Ways::Both;
    qint64 m_bound = defaultBound;
    Way m_forward;
    Way m_back;
    QList<QMetaObject::Connection> m_connections;
};
