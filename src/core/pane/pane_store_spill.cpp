// The pane store's spill file: moving older blocks to it in the background,
// taking written blocks in through its map, and giving the file back after a
// fault.
#include "core/pane/pane_store.h"

#include "core/pane/pane_spill.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace {

// The longest an append waits for a slow disk.
constexpr int kPaneStoreMaxWaitMs = 5;

} // namespace

qsizetype PaneStore::keptInMemory() const
{
    return std::max(m_threshold / 4, blockSize());
}

qsizetype PaneStore::pauseAbove() const
{
    return keptInMemory() + kMaxQueued * blockSize();
}

void PaneStore::spill()
{
    qsizetype toTake = kTakenPerAppend - takeWritten(kTakenPerAppend);
    queueBlocks();
    // Only a disk (or a processor) slower than the data holds the appends
    // back, once the memory held is well past where a source that can pause
    // was asked to (isSpillBehind). Each append waits a little at most,
    // which slows a fast source down to the disk's pace without stalling
    // the window.
    const qsizetype holdAbove = pauseAbove() + kMaxQueued * blockSize();
    QElapsedTimer waited;
    waited.start();
    while (m_spill && !m_failed && toTake > 0 && m_size - spilledSize() > holdAbove) {
        const int left = kPaneStoreMaxWaitMs - int(waited.elapsed());
        if (left <= 0 || !m_spill->waitForWrites(m_spilledBlocks + 1, left))
            break;
        toTake -= takeWritten(toTake);
    }
}

void PaneStore::queueBlocks()
{
    const qsizetype keep = keptInMemory();
    while (!m_failed && m_queuedBlocks - m_spilledBlocks < kMaxQueued) {
        const qsizetype complete = m_size >> m_shift;
        if (m_queuedBlocks >= complete || m_size - (m_queuedBlocks << m_shift) - blockSize() < keep)
            break;
        if (!m_spill)
            m_spill = PaneSpill::create();
        m_spill->queueWrite(qint64(m_queuedBlocks) << m_shift, m_blocks.at(m_queuedBlocks),
                            blockSize());
        ++m_queuedBlocks;
    }
}

bool PaneStore::isSpillBehind() const
{
    return m_spill && !m_failed && m_size - spilledSize() > pauseAbove();
}

bool PaneStore::catchUpSpill()
{
    if (!m_spill || m_failed)
        return false;
    takeWritten(kTakenPerAppend);
    queueBlocks();
    return isSpillBehind();
}

void PaneStore::finishWrites()
{
    if (!m_spill)
        return;
    m_spill->waitForWrites(m_queuedBlocks);
    takeWritten(m_queuedBlocks);
}

qsizetype PaneStore::takeWritten(qsizetype most)
{
    if (!m_spill || m_failed)
        return 0;
    QString error;
    const qsizetype before = m_spilledBlocks;
    const qsizetype written = std::min(m_spill->writesDone(&error), m_spilledBlocks + most);
    for (; m_spilledBlocks < written; ++m_spilledBlocks) {
        const char *moved = m_spill->map(qint64(m_spilledBlocks) << m_shift, &error);
        if (!moved)
            break;
        // Kept for new blocks: unmapping and faulting in pages again costs
        // milliseconds per block.
        char *block = std::exchange(m_blocks[m_spilledBlocks], const_cast<char *>(moved));
        if (!m_leases.isEmpty())
            m_retired.append(block); // a snapshot may be reading it
        else if (m_spares.size() < kMaxQueued)
            m_spares.append(block);
        else
            freeBlock(block);
    }
    if (!error.isEmpty())
        fail(m_spill->failureText(error));
    return m_spilledBlocks - before;
}

void PaneStore::fail(const QString &why)
{
    // Nothing is lost: the blocks not yet written stay where they are, and
    // so does everything after them.
    m_failed = true;
    m_capped = true;
    m_fault = why;
    m_queuedBlocks = m_spilledBlocks;
}

qsizetype PaneStore::room() const
{
    if (!m_capped)
        return std::numeric_limits<qsizetype>::max();
    return std::max<qsizetype>(0, memoryCap() - (m_size - spilledSize()));
}

qsizetype PaneStore::frontToDrop() const
{
    if (!m_failed || m_size <= memoryCap())
        return 0;
    return ((m_size - memoryCap() + m_mask) >> m_shift) << m_shift; // whole blocks
}

void PaneStore::giveBackFile()
{
    const qsizetype cut = frontToDrop();
    revokeSnapshots();
    const qsizetype firstKept = cut >> m_shift;
    QList<char *> kept;
    QList<char *> dropped = std::exchange(m_spares, {}) + std::exchange(m_retired, {});
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        char *block = m_blocks.at(i);
        if (i < m_spilledBlocks) {
            // Read through the file's map: copied out while the map lasts.
            if (i >= firstKept) {
                char *copy = newBlock();
                std::memcpy(copy, block, size_t(blockSize()));
                kept.append(copy);
            }
        } else if (i >= firstKept) {
            kept.append(block);
        } else {
            dropped.append(block);
        }
    }
    // The file and its maps go, so a full disk has its space back. Its
    // writer ends the write under way first (a failed disk ends it at once):
    // only then may the blocks it read go.
    m_spill.reset();
    unmapBlocks(dropped, size_t(blockSize()));
    m_blocks = kept;
    m_size -= cut;
    m_spilledBlocks = 0;
    m_queuedBlocks = 0;
    m_spilling = false;
    m_refusedSinceTry = 0;
}

void PaneStore::refused(qsizetype bytes)
{
    if (m_failed) {
        m_refusedSinceTry += bytes;
        if (m_refusedSinceTry < memoryCap() / 16)
            return;
        // Try a new file: it takes the older text and makes room, or fails
        // again (takeFault).
        m_refusedSinceTry = 0;
        m_failed = false;
        m_spilling = true;
    }
    // No append comes while there is no room: the writes are taken in here.
    takeWritten(kTakenPerAppend);
    queueBlocks();
}
