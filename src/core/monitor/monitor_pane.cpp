#include "core/monitor/monitor_pane.h"

MonitorPane::MonitorPane()
    : m_store(PaneText::defaultSpillThreshold())
    , m_writer(m_text)
{}

void MonitorPane::receive(int channel, QByteArrayView batch, const ArrivalTime &arrival)
{
    m_store.add(channel, arrival.wallMs, batch);
    if (isShown(channel))
        m_writer.add(channel, batch, arrival.wallMs);
}

void MonitorPane::setFormat(ReceiveFormat format)
{
    if (format == m_writer.format())
        return;
    m_writer.setFormat(format);
    rewrite();
}

void MonitorPane::setShown(int channel, bool shown)
{
    if (shown == isShown(channel))
        return;
    if (shown)
        m_hidden.remove(channel);
    else
        m_hidden.insert(channel);
    rewrite();
}

void MonitorPane::clear()
{
    m_store.clear();
    m_writer.clear();
}

void MonitorPane::rewrite()
{
    m_writer.clear();
    m_store.forEach([this](const MonitorBatch &batch) {
        if (isShown(batch.channel))
            m_writer.add(batch.channel, batch.bytes, batch.wallMs);
    });
}
