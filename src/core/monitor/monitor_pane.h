#pragma once

#include "core/arrival_clock.h"
#include "core/channel_state.h"
#include "core/monitor/monitor_store.h"
#include "core/monitor/monitor_text.h"
#include "core/pane/pane_text.h"

#include <QByteArrayView>
#include <QSet>

// A monitor of several channels: what they receive, in the order the
// batches arrive, as one pane's text (MonitorText writes it) that a
// CapturePane shows, finds in, copies and saves like a channel's pane.
//
// Every channel's batches are kept with their times (MonitorStore), those
// of the channels not shown too, so choosing another format or other
// channels writes the whole pane again from the bytes. A batch the pane
// shows as it came (ASCII) is kept as where it lies in the pane's text, not
// a second time: each received byte is written once. The pane and the
// store both move their older text to files past the spill threshold, so
// the memory they take stays bounded however long the capture runs. If the
// pane drops its oldest text (its file failed), the batches are forgotten.
class MonitorPane
{
public:
    MonitorPane();

    PaneText &text() { return m_text; }
    const PaneText &text() const { return m_text; }
    const MonitorStore &store() const { return m_store; }
    MonitorStore &store() { return m_store; }

    void receive(int channel, QByteArrayView batch, const ArrivalTime &arrival);

    ReceiveFormat format() const { return m_writer.format(); }
    void setFormat(ReceiveFormat format);
    bool isShown(int channel) const { return !m_hidden.contains(channel); }
    // Whether the channel's bytes are in the pane; all are, at first.
    void setShown(int channel, bool shown);
    // Forgets every batch and empties the pane.
    void clear();

private:
    // Writes a batch into the pane if its channel is shown, and keeps it.
    void keep(int channel, QByteArrayView batch, qint64 wallMs);
    // Forgets the batches if the pane's text is not as written.
    void checkPaneText();
    void rewrite();

    PaneText m_text;
    MonitorStore m_store;
    MonitorText m_writer;
    QSet<int> m_hidden;      // the channels not shown
    qsizetype m_paneEnd = 0; // the pane's size as the monitor wrote it
};
