#pragma once

#include "core/transmission.h"

#include <QList>
#include <QObject>

#include <functional>

// What waits to go out on one channel, in order. It is handed to the device
// only as fast as the device takes it, so the device's own buffer stays
// small, and what waits here is bounded: a transmission that would take it
// past the limit is refused whole. Transmissions share the records they come
// from, so a long record resent many times costs little memory while it
// waits. Every slice handed to the device, at most deviceShare bytes and in
// order, is announced by handedOver(): what listens to sent bytes gets them
// a bounded slice at a time, as the device takes them, never a whole resend
// at once.
class TransmitQueue : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 defaultLimit = qint64(16) << 20;
    // How much the device may hold at a time.
    static constexpr qint64 deviceShare = 64 * 1024;

    explicit TransmitQueue(QObject *parent = nullptr);

    // Where bytes go, and how much the device still holds unsent.
    void setDevice(std::function<void(QByteArrayView)> write, std::function<qint64()> backlog);
    void setLimit(qint64 limit) { m_limit = limit; }
    qint64 limit() const { return m_limit; }

    // Queues the transmission and hands the device what it can take; false
    // (nothing queued) when more than the limit would then wait here.
    bool push(const Transmission &transmission);
    // Hands the device what it can take; call it when the device wrote some.
    void drain();
    // Hands the device everything at once (before a close).
    void drainAll();
    void clear();

    qint64 pending() const { return m_pending; }

signals:
    // These bytes went to the device (valid during the call only).
    void handedOver(QByteArrayView bytes);

private:
    void writeFront(qint64 most);

    QList<Transmission> m_waiting;
    qsizetype m_frontDone = 0; // bytes of the first transmission already written
    qint64 m_pending = 0;
    qint64 m_limit = defaultLimit;
    std::function<void(QByteArrayView)> m_write;
    std::function<qint64()> m_backlog;
};
