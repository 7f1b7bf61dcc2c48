#include "core/pane/pane_styles.h"

#include <utility>

namespace {

quint64 paneStyleKey(const TerminalStyle &style)
{
    return (quint64(style.foreground) << 33) ^ (quint64(style.background) << 8) ^ style.flags;
}

} // namespace

quint32 PaneStyles::indexOf(const TerminalStyle &style)
{
    if (m_styles.isEmpty())
        m_styles.append(TerminalStyle()); // index 0: plain
    const quint64 key = paneStyleKey(style);
    for (const RecentStyle &recent : m_recent) {
        if (recent.key == key && m_styles.at(recent.index) == style)
            return recent.index;
    }
    const quint32 index = indexInTable(style, key);
    m_recent[m_nextRecent] = RecentStyle{key, index};
    m_nextRecent = (m_nextRecent + 1) % m_recent.size();
    return index;
}

quint32 PaneStyles::indexInTable(const TerminalStyle &style, quint64 key)
{
    const auto found = m_styleIndexes.constFind(key);
    if (found != m_styleIndexes.constEnd() && m_styles.at(*found) == style)
        return *found;
    // Past the table's size (only 24-bit colours could get there) a new
    // style shows plain rather than taking memory without bound.
    if (quint32(m_styles.size()) >= kMaxStyles || found != m_styleIndexes.constEnd())
        return 0;
    m_styles.append(style);
    m_styleIndexes.insert(key, quint32(m_styles.size() - 1));
    return quint32(m_styles.size() - 1);
}

void PaneStyles::setStyleFrom(qsizetype pos, const TerminalStyle &style)
{
    // Styles mostly start past all those held: nothing to search or drop.
    if (!m_changes.isEmpty() && pos <= changeAt(m_changes.last()))
        m_changes.truncate(
            m_changes.upperBound([pos](StyleChange change) { return pos <= changeAt(change); }));
    const quint32 index = indexOf(style);
    const quint32 before = m_changes.isEmpty() ? 0 : quint32(m_changes.last() & kMaxStyles);
    if (index == before)
        return; // the text already looks so from here
    m_changes.append((quint64(pos) << kStyleBits) | index);
}

TerminalStyle PaneStyles::styleAt(qsizetype pos) const
{
    const qsizetype after =
        m_changes.upperBound([pos](StyleChange change) { return pos < changeAt(change); });
    if (after == 0)
        return {};
    return m_styles.at(qsizetype(m_changes[after - 1] & kMaxStyles));
}

void PaneStyles::setCharacter(qsizetype pos, char32_t character)
{
    m_characters.truncate(
        m_characters.upperBound([pos](const StoodInFor &held) { return pos <= held.at; }));
    m_characters.append(StoodInFor{pos, character});
}

char32_t PaneStyles::characterAt(qsizetype pos) const
{
    const qsizetype after =
        m_characters.upperBound([pos](const StoodInFor &held) { return pos < held.at; });
    if (after == 0 || m_characters[after - 1].at != pos)
        return 0;
    return m_characters[after - 1].character;
}

void PaneStyles::clear()
{
    m_changes.clear();
    m_characters.clear();
    m_styles.clear();
    m_styleIndexes.clear();
    m_recent = {};
}

void PaneStyles::dropFront(qsizetype bytes)
{
    if (bytes <= 0)
        return;
    auto changes = std::exchange(m_changes, {});
    // The style in force where the kept text starts goes on from position 0.
    const TerminalStyle first = [&] {
        const qsizetype after =
            changes.upperBound([bytes](StyleChange change) { return bytes < changeAt(change); });
        return after == 0 ? TerminalStyle()
                          : m_styles.at(qsizetype(changes[after - 1] & kMaxStyles));
    }();
    setStyleFrom(0, first);
    for (qsizetype i = 0; i < changes.size(); ++i) {
        if (changeAt(changes[i]) > bytes)
            m_changes.append(((quint64(changeAt(changes[i]) - bytes)) << kStyleBits) |
                             (changes[i] & kMaxStyles));
    }
    ChunkedList<StoodInFor> characters = std::exchange(m_characters, {});
    for (qsizetype i = 0; i < characters.size(); ++i) {
        if (characters[i].at >= bytes)
            m_characters.append(StoodInFor{characters[i].at - bytes, characters[i].character});
    }
}

qsizetype PaneStyles::memoryBytes() const
{
    return m_changes.capacity() * qsizetype(sizeof(StyleChange)) +
           m_characters.capacity() * qsizetype(sizeof(StoodInFor)) +
           m_styles.capacity() * qsizetype(sizeof(TerminalStyle)) +
           m_styleIndexes.capacity() * qsizetype(sizeof(quint64) * 2);
}
