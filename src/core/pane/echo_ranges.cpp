#include "core/pane/echo_ranges.h"

#include <algorithm>

void EchoRanges::add(qsizetype from, qsizetype to)
{
    if (to <= from)
        return;
    if (!m_ranges.isEmpty() && m_ranges.last().to == from)
        m_ranges.last().to = to;
    else
        m_ranges.append(Range{from, to});
}

bool EchoRanges::contains(qsizetype pos) const
{
    const auto after = std::upper_bound(m_ranges.cbegin(), m_ranges.cend(), pos,
                                        [](qsizetype p, const Range &r) { return p < r.from; });
    return after != m_ranges.cbegin() && pos < std::prev(after)->to;
}

void EchoRanges::dropFront(qsizetype bytes)
{
    QList<Range> kept;
    for (const Range &range : std::as_const(m_ranges)) {
        if (range.to > bytes)
            kept.append(Range{std::max<qsizetype>(0, range.from - bytes), range.to - bytes});
    }
    m_ranges.swap(kept);
}
