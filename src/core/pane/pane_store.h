#pragma once

#include "core/pane/pane_snapshot.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <memory>

class PaneSpill;

// The bytes of a pane in equal blocks: appending never moves what is held,
// and memory follows the text page by page. Once the text passes the spill
// threshold, the older blocks go to a PaneSpill file, written in the
// background, until only the newest `threshold / 4` bytes stay in memory; a
// block is read through the file's read-only map once it is written.
//
// If the file cannot be made or written, the store says why once
// (takeFault); its owner then calls giveBackFile(): the text read from the
// file comes back into memory (its oldest part dropped where it would pass
// memoryCap()) and the file is removed, so a full disk gets its space back.
// From then on, until cleared, the store holds at most memoryCap() bytes in
// memory (room() says how many more it takes). refused() counts what its
// owner turned away; after memoryCap() / 16 of it the next append tries a
// new file, and a file that works makes room again.
//
// Snapshots (PaneSnapshot) let other threads read the text held so far.
// While any lives, a block moved to the file keeps its memory (it is
// neither reused nor freed) until the last one ends; a clear revokes them
// all before it frees anything.
class PaneStore
{
public:
    static constexpr qsizetype kDefaultThreshold = qsizetype(256) << 20;
    static constexpr qsizetype kDefaultMemoryCap = qsizetype(256) << 20;
    // The bytes a search for a line's end looks at in one pass for all the
    // bytes it seeks, before it leaves a longer run to the C library's scans.
    static constexpr qsizetype kShortRun = 256;

    explicit PaneStore(qsizetype threshold = kDefaultThreshold);
    ~PaneStore();
    PaneStore(const PaneStore &) = delete;
    PaneStore &operator=(const PaneStore &) = delete;

    qsizetype size() const { return m_size; }
    char at(qsizetype pos) const { return m_blocks.at(pos >> m_shift)[pos & m_mask]; }
    // The bytes from `pos` to the end of its block or of the text. Valid
    // until the next append or clear.
    QByteArrayView chunkAt(qsizetype pos) const;
    // The first of `c` in [from, to), or `to`.
    qsizetype indexOf(char c, qsizetype from, qsizetype to) const;
    // The first CR or LF in [from, to), or `to`.
    qsizetype findLineBreak(qsizetype from, qsizetype to) const;
    // The first CR, LF or tab in [from, to), or `to`: where a line read
    // from `from` ends, and whether a tab comes first, in one pass.
    qsizetype findLineBreakOrTab(qsizetype from, qsizetype to) const;
    // Forgets the pages of [pos, pos + size) that a reader touched in the
    // file's map, so a read of the whole text leaves no trace in memory.
    void releaseRead(qsizetype pos, qsizetype size) const;
    // Forgets the pages of [from, to) of one block read through the file's
    // map, in whole spans of the mapping.
    static void releaseBlockPages(const char *block, qsizetype blockSize, qsizetype from,
                                  qsizetype to);

    // The text held now, for reading on another thread; see PaneSnapshot
    // for `stopReaders`.
    PaneSnapshot snapshot(std::function<void()> stopReaders = {}) const;

    void append(QByteArrayView piece);
    // For a writer that makes its bytes in place: where up to `size` more
    // bytes can be written at the end, within the last block, or nullptr. Those
    // written become the text's with appendWritten(); until then the store
    // holds what it held.
    char *tailSpace(qsizetype size);
    void appendWritten(qsizetype size);
    // Empties the store, gives its memory back and removes the file.
    void clear();

    // Takes effect on an empty store (now, or at the next clear).
    void setThreshold(qsizetype bytes);
    qsizetype threshold() const { return m_threshold; }
    qsizetype blockSize() const { return qsizetype(1) << m_shift; }
    // How much of the text is in the file.
    qsizetype spilledSize() const { return m_spilledBlocks << m_shift; }
    // Waits for the file writes under way and takes in their outcome.
    void finishWrites();
    // The file's writer is behind (a full queue of blocks waiting): a source
    // that can pause should, so that appends never wait for the disk.
    bool isSpillBehind() const;
    // While the source is paused no append hands the writer more: takes in
    // the writes done, queues the next blocks and tells whether still behind.
    bool catchUpSpill();
    QString spillPath() const;
    // Why the file failed, once after it did; empty otherwise.
    QString takeFault();

    // What the store holds at most while its file has failed (at least two
    // blocks).
    void setMemoryCap(qsizetype bytes) { m_memoryCap = bytes; }
    qsizetype memoryCap() const { return std::max(m_memoryCap, 2 * blockSize()); }
    // How many more bytes an append may bring: no limit while the file works.
    qsizetype room() const;
    // After a fault: how many of the oldest bytes giveBackFile() will drop
    // (whole blocks, so that the rest is within the cap).
    qsizetype frontToDrop() const;
    // After a fault: the file's text comes back into memory, the oldest
    // frontToDrop() bytes go (positions move down by that many), and the file
    // is removed. Revokes every snapshot.
    void giveBackFile();
    // The owner turned away `bytes` for want of room.
    void refused(qsizetype bytes);

private:
    friend class PaneSnapshot;

    // Blocks handed to the writer at a time.
    static constexpr qsizetype kMaxQueued = 16;
    // Written blocks taken in per append: each may cost an unmapping.
    static constexpr qsizetype kTakenPerAppend = 4;

    // Unmapping costs about a millisecond per block: many go to the
    // unmapping thread, so a big clear does not stall the window.
    static void unmapBlocks(const QList<char *> &blocks, size_t bytes);

    void applyThreshold();
    void endLease(PaneSnapshot::Lease *lease) const;
    void revokeSnapshots();
    char *newBlock();
    // Moves the text past the threshold to the file, once an append is held.
    void afterAppend();
    void freeBlock(char *block) const;
    // pane_store_spill.cpp: moving blocks to the file and back.
    void spill();
    // Hands the writer the blocks past what stays in memory, a queue's worth.
    void queueBlocks();
    // The newest bytes never moved to the file.
    qsizetype keptInMemory() const;
    // Memory held past which the writer counts as behind.
    qsizetype pauseAbove() const;
    // Reads up to `most` more written blocks from the file from now on;
    // returns how many.
    qsizetype takeWritten(qsizetype most);
    void fail(const QString &why);

    qsizetype m_threshold;
    int m_shift = 12;
    qsizetype m_mask = 0;
    qsizetype m_size = 0;
    // Anonymous memory, or the file's map for the first m_spilledBlocks.
    QList<char *> m_blocks;
    qsizetype m_spilledBlocks = 0;
    // Handed to the file's writer; the written ones are m_spilledBlocks.
    qsizetype m_queuedBlocks = 0;
    // Moved blocks' memory, kept for the next blocks.
    QList<char *> m_spares;
    // The live snapshots, and the moved blocks' memory kept for them.
    mutable QList<PaneSnapshot::Lease *> m_leases;
    mutable QList<char *> m_retired;
    std::unique_ptr<PaneSpill> m_spill;
    bool m_spilling = false;
    bool m_failed = false;
    QString m_fault;
    qsizetype m_memoryCap = kDefaultMemoryCap;
    qsizetype m_refusedSinceTry = 0;
    bool m_capped = false; // a file failed since the last clear
};
