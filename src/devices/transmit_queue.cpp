#include "devices/transmit_queue.h"

TransmitQueue::TransmitQueue(QObject *parent)
    : QObject(parent)
{}

void TransmitQueue::setDevice(std::function<void(QByteArrayView)> write,
                              std::function<qint64()> backlog)
{
    m_write = std::move(write);
    m_backlog = std::move(backlog);
}

bool TransmitQueue::push(const Transmission &transmission)
{
    if (transmission.isEmpty())
        return true;
    // What would still wait here once the device has taken what it can.
    // (While anything waits, the device is already full.)
    const qint64 room =
        m_pending == 0 && m_backlog ? qMax<qint64>(0, deviceShare - m_backlog()) : 0;
    if (m_pending + transmission.size() - room > m_limit)
        return false;
    m_waiting.append(transmission);
    m_pending += transmission.size();
    drain();
    return true;
}

void TransmitQueue::drain()
{
    if (!m_write || !m_backlog)
        return;
    qint64 room = deviceShare - m_backlog();
    while (room > 0 && !m_waiting.isEmpty()) {
        const qint64 before = m_pending;
        writeFront(room);
        room -= before - m_pending;
    }
}

void TransmitQueue::drainAll()
{
    if (!m_write)
        return;
    while (!m_waiting.isEmpty())
        writeFront(deviceShare); // the same bytes, announced in bounded slices
}

void TransmitQueue::writeFront(qint64 most)
{
    // A copy of the front keeps its bytes alive until they are announced.
    const Transmission front = m_waiting.constFirst();
    const qsizetype count = qsizetype(qMin<qint64>(front.size() - m_frontDone, most));
    const QByteArrayView slice = front.view().sliced(m_frontDone, count);
    m_write(slice);
    m_pending -= count;
    m_frontDone += count;
    if (m_frontDone == front.size()) {
        m_waiting.removeFirst();
        m_frontDone = 0;
    }
    emit handedOver(slice);
}

void TransmitQueue::clear()
{
    m_waiting.clear();
    m_frontDone = 0;
    m_pending = 0;
}

#include "moc_transmit_queue.cpp"
