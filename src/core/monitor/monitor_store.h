#pragma once

#include "core/pane/pane_store.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>

// One batch as the monitor keeps it: which channel received it, when
// (ms since the epoch) and its bytes, or where its bytes lie in the
// monitor's pane text (paneAt, -1: the bytes are held).
struct MonitorBatch
{
    int channel = 0;
    qint64 wallMs = 0;
    QByteArrayView bytes;
    qsizetype paneAt = -1;
    qsizetype size = 0;
};

// The received batches of every channel in arrival order, each with its
// channel and arrival time, so a monitor view can write them again in
// another format. A batch whose bytes the monitor's pane already holds as
// they came is kept as where they start there (addInPane: a record of
// about five bytes, its time, size and place as differences from the
// batch before, gathered a page at a time so the store takes them in one
// copy); any other batch is kept with its bytes (add: a 13-byte head before
// them). The records lie one after another in a PaneStore: past the
// spill threshold the older ones move to a file and the memory held stays
// the same however long the capture runs.
//
// Channels are numbered 1 to 63.
//
// A batch larger than kLargestRecord goes in as several records, which read
// back as consecutive batches of the same channel and time.
//
// When the file cannot be written the store forgets what it held (it never
// keeps a part of a batch), says why once (takeFault), and goes on with the
// batches that come after.
class MonitorStore
{
public:
    static constexpr qsizetype kHeadSize = 1 + 8 + 4;
    static constexpr qsizetype kLargestRecord = qsizetype(1) << 20;
    // A tag byte and three numbers of at most ten bytes each.
    static constexpr qsizetype kLongestInPaneRecord = 1 + 3 * 10;

    explicit MonitorStore(qsizetype spillThreshold);

    void add(int channel, qint64 wallMs, QByteArrayView bytes);
    // A batch of `size` bytes (at most kLargestRecord) that the pane holds
    // from text position `paneAt` on.
    void addInPane(int channel, qint64 wallMs, qsizetype paneAt, qsizetype size);
    // Hands every batch held to `visit`, oldest first. A batch's bytes are
    // valid during the call only; one kept in the pane comes with no bytes.
    void forEach(const std::function<void(const MonitorBatch &)> &visit);
    // The received bytes held or pointed to, heads not counted.
    qint64 byteCount() const { return m_bytes; }
    // The bytes the store takes, heads included.
    qsizetype storedSize() const { return m_store.size() + m_pendingSize; }
    qsizetype spilledSize() const { return m_store.spilledSize(); }
    qsizetype spillThreshold() const { return m_store.threshold(); }
    void clear();
    // Forgets every batch and says `why` through takeFault.
    void forget(const QString &why);
    // Waits for the file writes under way and takes in their outcome.
    void finishWrites();
    // Why the store last forgot its batches, once; empty otherwise.
    QString takeFault();

private:
    void addRecord(int channel, qint64 wallMs, QByteArrayView bytes);
    // Copies [pos, pos + size) out of the store into `out`.
    void read(qsizetype pos, qsizetype size, QByteArray &out) const;
    void takeStoreFault();
    // Hands the gathered in-pane records to the store.
    void flushPending();

    PaneStore m_store;
    qint64 m_bytes = 0;
    std::array<char, 4096> m_pending;
    qsizetype m_pendingSize = 0;
    qint64 m_pendingBytes = 0; // the received bytes the gathered records point to
    // The last gathered record's time and the end of its bytes in the pane.
    qint64 m_lastMs = 0;
    qint64 m_lastPaneEnd = 0;
    QString m_fault;
};
