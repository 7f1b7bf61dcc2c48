#include "core/monitor/monitor_pane.h"

#include <QCoreApplication>

MonitorPane::MonitorPane()
    : m_store(PaneText::defaultSpillThreshold())
    , m_writer(m_text)
{}

void MonitorPane::receive(int channel, QByteArrayView batch, const ArrivalTime &arrival)
{
    keep(channel, batch, arrival.wallMs);
}

void MonitorPane::keep(int channel, QByteArrayView batch, qint64 wallMs)
{
    checkPaneText();
    if (isShown(channel)) {
        const qint64 turnedAway = m_text.notShown();
        const qsizetype at = m_writer.add(channel, batch, wallMs);
        m_paneEnd += m_writer.written() - (m_text.notShown() - turnedAway);
        checkPaneText();
        if (at >= 0 && batch.size() <= MonitorStore::kLargestRecord) {
            m_store.addInPane(channel, wallMs, at, batch.size());
            return;
        }
    }
    m_store.add(channel, wallMs, batch);
}

void MonitorPane::checkPaneText()
{
    if (m_text.size() == m_paneEnd)
        return;
    // The pane dropped its oldest text (its file failed): the batches kept
    // as positions in it can no longer be read back.
    m_paneEnd = m_text.size();
    m_store.forget(QCoreApplication::translate(
        "MonitorPane", "The monitor's pane dropped its oldest text; its batches were forgotten."));
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
    m_paneEnd = 0;
}

void MonitorPane::rewrite()
{
    checkPaneText();
    // Every batch's bytes, those read back from the pane too, before the
    // pane is written again.
    MonitorStore all(m_store.spillThreshold());
    QByteArray bytes;
    m_store.forEach([&](const MonitorBatch &batch) {
        if (batch.paneAt < 0) {
            all.add(batch.channel, batch.wallMs, batch.bytes);
            return;
        }
        MonitorText::readBack(m_text, batch.paneAt, batch.size, bytes);
        all.add(batch.channel, batch.wallMs, bytes);
    });
    const QString fault = all.takeFault();
    clear();
    if (!fault.isEmpty())
        m_store.forget(fault);
    all.forEach(
        [this](const MonitorBatch &batch) { keep(batch.channel, batch.bytes, batch.wallMs); });
}
