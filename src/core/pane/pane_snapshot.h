#pragma once

#include "core/line_break_rule.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

#include <functional>
#include <memory>

class PaneStore;

// The text a pane held when the snapshot was taken, readable on another
// thread while the pane goes on receiving. What it reads never changes under
// it: the pane only writes past the snapshot's end, a block moved to the
// spill file is read through the file's map until the pane is cleared, and
// while any snapshot lives the pane keeps the memory of the blocks it moved
// to the file rather than reusing it (see PaneStore). The text in the file is
// read with pread, not through the pane's maps: a page fault that waits for
// the disk holds the process's memory map lock, and every mapping the
// window's thread makes meanwhile (a new block, say) would wait for it.
//
// Before a clear, a reload or its end frees anything, the pane revokes its
// snapshots: it calls each one's `stopReaders`, which must return only when
// no other thread reads the snapshot any more (and must not destroy it);
// the snapshot is empty from then on.
//
// It keeps the pane's line break rule as it was when taken (PaneText sets
// it), so a search on it breaks lines where the pane did then.
//
// Taken, revoked and destroyed on the pane's thread; read on one thread at a
// time.
class PaneSnapshot
{
public:
    PaneSnapshot() = default;
    PaneSnapshot(PaneSnapshot &&) noexcept = default;
    PaneSnapshot &operator=(PaneSnapshot &&other) noexcept;
    ~PaneSnapshot();

    qsizetype size() const { return m_lease ? m_lease->size : 0; }
    // True once the pane was cleared, reloaded or destroyed after the snapshot
    // was taken.
    bool isRevoked() const { return m_lease && m_lease->revoked; }
    char at(qsizetype pos) const
    {
        return m_lease->blocks.at(pos >> m_lease->shift)[pos & m_lease->mask];
    }
    // Hands [pos, pos + length) to `visit` piece by piece, in order, until it
    // returns false; returns false then (also when the file can't be read).
    bool forEachChunk(qsizetype pos, qsizetype length,
                      const std::function<bool(QByteArrayView)> &visit) const;
    // A copy of [pos, pos + length), clipped to the snapshot.
    QByteArray copy(qsizetype pos, qsizetype length) const;
    // Which bytes ended a line in the pane when the snapshot was taken.
    LineBreaks lineBreaks() const { return m_lineBreaks; }

private:
    friend class PaneStore;
    friend class PaneText;

    // What the store registers and revokes; it stays where it is when the
    // snapshot moves.
    struct Lease
    {
        const PaneStore *store = nullptr;
        std::function<void()> stopReaders;
        QList<const char *> blocks;
        qsizetype size = 0;
        int shift = 0;
        qsizetype mask = 0;
        // The first blocks, in the spill file.
        qsizetype fileBlocks = 0;
        int file = -1;
        mutable QByteArray buffer; // what was read from the file
        bool revoked = false;
    };

    explicit PaneSnapshot(std::unique_ptr<Lease> lease)
        : m_lease(std::move(lease))
    {}
    void release();

    std::unique_ptr<Lease> m_lease;
    LineBreaks m_lineBreaks = LineBreaks::Any;
};
