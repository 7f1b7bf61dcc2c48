#pragma once

#include "core/pane/chunked_list.h"
#include "core/pane/terminal_style.h"

#include <QHash>
#include <QList>
#include <QtGlobal>

#include <array>

// How the Terminal format's text in a pane looks, by text position: its
// colours and attributes, and the characters beyond Latin-1 that the text
// (one char per byte) holds a stand-in for. Kept sparse, so it costs little
// beside the text: a style is stored once where it starts (8 bytes), in a
// table of the distinct styles met; a character beyond Latin-1 takes 16
// bytes. Text no style was set for is plain. Positions are added in rising
// order; setting one at or before those held drops the ones from there on
// (text the pane turned away, written again).
class PaneStyles
{
public:
    // From `pos` on, the text looks like `style`.
    void setStyleFrom(qsizetype pos, const TerminalStyle &style);
    TerminalStyle styleAt(qsizetype pos) const;
    bool isEmpty() const { return m_changes.isEmpty() && m_characters.isEmpty(); }

    // The byte at `pos` stands in for `character`.
    void setCharacter(qsizetype pos, char32_t character);
    // The character the byte at `pos` stands in for, or 0 for the byte itself.
    char32_t characterAt(qsizetype pos) const;

    // Everything plain again, the memory given back.
    void clear();
    // The text's first `bytes` went: every position moves down by that many.
    void dropFront(qsizetype bytes);
    // The memory held, for the benchmarks' figures.
    qsizetype memoryBytes() const;

private:
    static constexpr int kStyleBits = 16;
    static constexpr quint32 kMaxStyles = (1u << kStyleBits) - 1;
    // The position (high bits) and the style's index in m_styles.
    using StyleChange = quint64;
    struct StoodInFor
    {
        qint64 at;
        char32_t character;
    };
    static qsizetype changeAt(StyleChange change) { return qsizetype(change >> kStyleBits); }
    quint32 indexOf(const TerminalStyle &style);
    quint32 indexInTable(const TerminalStyle &style, quint64 key);

    // A coloured flood adds a few changes per line: chunks made present at
    // once cost less than a fault per page.
    ChunkedList<StyleChange, 12, PageMemory::mapPresent> m_changes;
    ChunkedList<StoodInFor> m_characters;
    QList<TerminalStyle> m_styles;
    QHash<quint64, quint32> m_styleIndexes;
    // The styles met last, in the order they were met (the oldest goes
    // first): a line's few styles come again on every line, and the table's
    // hash costs more than this look.
    struct RecentStyle
    {
        quint64 key = 0;
        quint32 index = 0;
    };
    std::array<RecentStyle, 8> m_recent{};
    size_t m_nextRecent = 0;
};
