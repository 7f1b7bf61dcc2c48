// The pane store's blocks: reading them, appending, snapshots and clearing
// (moving blocks to the spill file is pane_store_spill.cpp).
#include "core/pane/pane_store.h"

#include "core/first_of_bytes.h"
#include "core/pane/page_memory.h"
#include "core/pane/pane_spill.h"
#include "core/receive_tuning.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace {

// Big enough that moving one costs little per byte, small enough that
// the memory waiting for the disk stays small.
constexpr int kMaxBlockShift = 21;

int pageShift()
{
    const long page = ::sysconf(_SC_PAGESIZE);
    int shift = 12;
    while ((qsizetype(1) << shift) < page)
        ++shift;
    return shift;
}

} // namespace

void PaneStore::unmapBlocks(const QList<char *> &blocks, size_t bytes)
{
    PageMemory::unmapAll(std::vector<void *>(blocks.begin(), blocks.end()), bytes);
}

PaneStore::PaneStore(qsizetype threshold)
    : m_threshold(threshold)
{
    applyThreshold();
}

PaneStore::~PaneStore()
{
    clear();
}

void PaneStore::setThreshold(qsizetype bytes)
{
    m_threshold = std::max<qsizetype>(1, bytes);
    if (m_size == 0 && m_blocks.isEmpty())
        applyThreshold();
}

void PaneStore::applyThreshold()
{
    // About eight blocks below the threshold.
    int shift = pageShift();
    while (shift < kMaxBlockShift && (qsizetype(1) << (shift + 1)) <= m_threshold / 8)
        ++shift;
    m_shift = shift;
    m_mask = (qsizetype(1) << shift) - 1;
}

QString PaneStore::spillPath() const
{
    return m_spill ? m_spill->path() : QString();
}

QString PaneStore::takeFault()
{
    return std::exchange(m_fault, QString());
}

QByteArrayView PaneStore::chunkAt(qsizetype pos) const
{
    if (pos < 0 || pos >= m_size)
        return {};
    const qsizetype offset = pos & m_mask;
    const qsizetype length = std::min(blockSize() - offset, m_size - pos);
    return QByteArrayView(m_blocks.at(pos >> m_shift) + offset, length);
}

qsizetype PaneStore::indexOf(char c, qsizetype from, qsizetype to) const
{
    to = std::min(to, m_size);
    while (from < to) {
        const QByteArrayView chunk = chunkAt(from);
        const qsizetype length = std::min(chunk.size(), to - from);
        if (const void *hit = std::memchr(chunk.data(), c, size_t(length)))
            return from + (static_cast<const char *>(hit) - chunk.data());
        from += length;
    }
    return to;
}

qsizetype PaneStore::findLineBreak(qsizetype from, qsizetype to) const
{
    to = std::min(to, m_size);
    while (from < to) {
        const QByteArrayView chunk = chunkAt(from);
        const qsizetype length = std::min(chunk.size(), to - from);
        const char *data = chunk.data();
        // Most lines are short: one pass for both bytes over their first
        // bytes. A search may also cross megabytes with no line end (Hex
        // text), where the C library's scans, many bytes a step, outrun it.
        const qsizetype near = std::min(length, kShortRun);
        if (const qsizetype at = firstOfBytes(data, near, '\n', '\r'); at < near)
            return from + at;
        const void *lf = std::memchr(data + near, '\n', size_t(length - near));
        const qsizetype lfAt = lf ? static_cast<const char *>(lf) - data : length;
        const void *cr = std::memchr(data + near, '\r', size_t(lfAt - near));
        if (cr)
            return from + (static_cast<const char *>(cr) - data);
        if (lf)
            return from + lfAt;
        from += length;
    }
    return to;
}

qsizetype PaneStore::findLineBreakOrTab(qsizetype from, qsizetype to) const
{
    to = std::min(to, m_size);
    const QByteArrayView chunk = chunkAt(from);
    const qsizetype near = std::min({chunk.size(), to - from, kShortRun});
    const qsizetype at = firstOfBytes(chunk.data(), near, '\n', '\r', '\t');
    if (at < near || from + near >= to)
        return from + at;
    // A long run: the break first, then a tab before it.
    const qsizetype lineBreak = findLineBreak(from + near, to);
    return indexOf('\t', from + near, lineBreak);
}

void PaneStore::releaseRead(qsizetype pos, qsizetype size) const
{
    const qsizetype end = std::min(pos + size, spilledSize());
    while (pos < end) {
        const qsizetype blockStart = pos & ~m_mask;
        const qsizetype to = std::min(end, blockStart + blockSize());
        releaseBlockPages(m_blocks.at(pos >> m_shift), blockSize(), pos - blockStart,
                          to - blockStart);
        pos = to;
    }
}

void PaneStore::releaseBlockPages(const char *block, qsizetype blockSize, qsizetype from,
                                  qsizetype to)
{
    // Given back in whole 2 MB spans of a block's mapping: the kernel may map
    // the file 2 MB at a time, and giving back part of such a piece splits
    // it, which costs far more than reading the rest of it again later.
    constexpr quintptr span = quintptr(2) << 20;
    const quintptr base = quintptr(block);
    const quintptr first = std::max((base + quintptr(from)) & ~(span - 1), base);
    const quintptr until =
        std::min((base + quintptr(to) + span - 1) & ~(span - 1), base + quintptr(blockSize));
    PaneSpill::release(reinterpret_cast<const char *>(first), qsizetype(until - first));
}

PaneSnapshot PaneStore::snapshot(std::function<void()> stopReaders) const
{
    auto lease = std::make_unique<PaneSnapshot::Lease>();
    lease->store = this;
    lease->stopReaders = std::move(stopReaders);
    lease->blocks.reserve(m_blocks.size());
    for (const char *block : m_blocks)
        lease->blocks.append(block);
    lease->size = m_size;
    lease->shift = m_shift;
    lease->mask = m_mask;
    lease->fileBlocks = m_spilledBlocks;
    lease->file = m_spill ? m_spill->fd() : -1;
    m_leases.append(lease.get());
    return PaneSnapshot(std::move(lease));
}

void PaneStore::endLease(PaneSnapshot::Lease *lease) const
{
    m_leases.removeOne(lease);
    if (m_leases.isEmpty())
        unmapBlocks(std::exchange(m_retired, {}), size_t(blockSize()));
}

void PaneStore::revokeSnapshots()
{
    // Each one's readers stop before anything they read is freed.
    for (PaneSnapshot::Lease *lease : std::exchange(m_leases, {})) {
        if (lease->stopReaders)
            lease->stopReaders();
        lease->store = nullptr;
        lease->blocks.clear();
        lease->size = 0;
        lease->fileBlocks = 0;
        lease->revoked = true;
    }
}

char *PaneStore::newBlock()
{
    if (!m_spares.isEmpty())
        return m_spares.takeLast();
    // Its own mapping, so untouched pages cost nothing and a clear gives
    // every page back at once.
    const size_t size = size_t(blockSize());
    if (m_blocks.isEmpty() || !receiveTuning().makeBlocksWhole)
        return static_cast<char *>(PageMemory::map(size));
    // Once a pane has filled a block the next will likely fill too: it is
    // made whole at once, in huge pages where it is one (2 MB, aligned), which
    // costs a fraction of a fault for each 4 KB page as the bytes arrive.
    char *block = static_cast<char *>(size % PageMemory::kHugePage == 0 ? PageMemory::mapHuge(size)
                                                                        : PageMemory::map(size));
    ::madvise(block, size, MADV_POPULATE_WRITE); // a kernel without it: faults as before
    return block;
}

void PaneStore::freeBlock(char *block) const
{
    ::munmap(block, size_t(blockSize()));
}

void PaneStore::append(QByteArrayView piece)
{
    const char *from = piece.data();
    qsizetype left = piece.size();
    while (left > 0) {
        const qsizetype offset = m_size & m_mask;
        if (offset == 0 && (m_size >> m_shift) == m_blocks.size())
            m_blocks.append(newBlock());
        const qsizetype length = std::min(left, blockSize() - offset);
        std::memcpy(m_blocks.last() + offset, from, size_t(length));
        from += length;
        left -= length;
        m_size += length;
    }
    afterAppend();
}

char *PaneStore::tailSpace(qsizetype size)
{
    // A block is only ever begun by append(): the blocks held are always
    // those the text fills.
    const qsizetype offset = m_size & m_mask;
    if (offset == 0 || size > blockSize() - offset)
        return nullptr;
    return m_blocks.last() + offset;
}

void PaneStore::appendWritten(qsizetype size)
{
    Q_ASSERT(size <= blockSize() - (m_size & m_mask));
    m_size += size;
    afterAppend();
}

void PaneStore::afterAppend()
{
    if (m_failed)
        return;
    if (m_size - spilledSize() > m_threshold)
        m_spilling = true;
    if (m_spilling)
        spill();
}

void PaneStore::clear()
{
    revokeSnapshots();
    QList<char *> unused = m_blocks.mid(m_spilledBlocks) + m_spares + m_retired;
    QList<char *>().swap(m_spares);
    QList<char *>().swap(m_blocks);
    QList<char *>().swap(m_retired);
    const size_t bytes = size_t(blockSize());
    if (m_spill) {
        // The writer stops before the blocks it reads go.
        PaneSpill::endInBackground(std::move(m_spill),
                                   [unused, bytes] { unmapBlocks(unused, bytes); });
    } else {
        unmapBlocks(unused, bytes);
    }
    m_size = 0;
    m_spilledBlocks = 0;
    m_queuedBlocks = 0;
    m_spilling = false;
    m_failed = false;
    m_capped = false;
    m_fault.clear();
    m_refusedSinceTry = 0;
    applyThreshold();
}
