#include "core/pane/pane_snapshot.h"

#include "core/pane/pane_store.h"

#include <algorithm>
#include <unistd.h>

PaneSnapshot &PaneSnapshot::operator=(PaneSnapshot &&other) noexcept
{
    if (this != &other) {
        release();
        m_lease = std::move(other.m_lease);
        m_lineBreaks = other.m_lineBreaks;
    }
    return *this;
}

PaneSnapshot::~PaneSnapshot()
{
    release();
}

void PaneSnapshot::release()
{
    if (m_lease && m_lease->store)
        m_lease->store->endLease(m_lease.get());
    m_lease.reset();
}

bool PaneSnapshot::forEachChunk(qsizetype pos, qsizetype length,
                                const std::function<bool(QByteArrayView)> &visit) const
{
    const qsizetype total = size();
    pos = std::clamp<qsizetype>(pos, 0, total);
    const qsizetype end = length < 0 ? total : std::min(total, pos + length);
    while (pos < end) {
        const qsizetype block = pos >> m_lease->shift;
        const qsizetype offset = pos & m_lease->mask;
        const qsizetype take = std::min(m_lease->mask + 1 - offset, end - pos);
        const char *data = m_lease->blocks.at(block) + offset;
        if (block < m_lease->fileBlocks) {
            QByteArray &buffer = m_lease->buffer;
            buffer.resize(take);
            if (::pread(m_lease->file, buffer.data(), size_t(take), off_t(pos)) != take)
                return false;
            data = buffer.constData();
        }
        const bool more = visit(QByteArrayView(data, take));
        if (!more)
            return false;
        pos += take;
    }
    return true;
}

QByteArray PaneSnapshot::copy(qsizetype pos, qsizetype length) const
{
    QByteArray out;
    forEachChunk(pos, length, [&out](QByteArrayView chunk) {
        out.append(chunk);
        return true;
    });
    return out;
}
