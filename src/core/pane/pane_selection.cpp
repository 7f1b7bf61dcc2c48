#include "core/pane/pane_selection.h"

#include "core/pane/pane_text.h"

namespace {

bool isWordByte(char c)
{
    return c != ' ' && c != '\t' && c != '\r' && c != '\n';
}

bool crLfAt(const PaneText &text, qsizetype pos)
{
    return text.at(pos) == '\r' && text.at(pos + 1) == '\n';
}

} // namespace

bool PaneSelection::set(qsizetype anchor, qsizetype cursor, qsizetype textSize)
{
    anchor = std::clamp<qsizetype>(anchor, 0, textSize);
    cursor = std::clamp<qsizetype>(cursor, 0, textSize);
    if (anchor == m_anchor && cursor == m_cursor)
        return false;
    m_anchor = anchor;
    m_cursor = cursor;
    return true;
}

bool PaneSelection::selectWordAt(const PaneText &text, qsizetype pos)
{
    const qsizetype line = text.lineAt(pos);
    const qsizetype lineStart = text.lineStart(line);
    const qsizetype lineEnd = text.lineEnd(line);
    pos = std::clamp(pos, lineStart, lineEnd);
    // The byte at `pos`, or the one just before it at a word's end.
    if (pos == lineEnd || !isWordByte(text.at(pos))) {
        if (pos > lineStart && isWordByte(text.at(pos - 1)))
            --pos;
        else
            return set(pos, pos, text.size());
    }
    qsizetype start = pos;
    while (start > lineStart && isWordByte(text.at(start - 1)))
        --start;
    qsizetype end = pos;
    while (end < lineEnd && isWordByte(text.at(end)))
        ++end;
    return set(start, end, text.size());
}

bool PaneSelection::reset()
{
    const bool hadSelection = !isEmpty();
    m_anchor = m_cursor = 0;
    return hadSelection;
}

QByteArray PaneSelection::bytes(const PaneText &text) const
{
    if (isEmpty())
        return {};
    return text.copy(start(), length());
}

qsizetype PaneSelection::step(const PaneText &text, qsizetype pos, bool forward)
{
    const qsizetype size = text.size();
    if (forward && pos < size)
        return pos + (pos + 1 < size && crLfAt(text, pos) ? 2 : 1);
    if (!forward && pos > 0)
        return pos - (pos >= 2 && crLfAt(text, pos - 2) ? 2 : 1);
    return pos;
}
