#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>

class PaneText;

// The selection in a pane's text, in byte offsets: the anchor, where it was
// started, and the cursor, its moving end. The selected bytes are those from
// start() up to end(); anchor == cursor selects nothing. Every change keeps
// both ends within the text as it is then, and says whether anything moved,
// so the owner repaints and tells only then.
//
// Text appended to the pane leaves the selection as it is (offsets into
// text that only grows stay valid). Text replaced or cleared does not: the
// owner calls reset().
class PaneSelection
{
public:
    qsizetype anchor() const { return m_anchor; }
    qsizetype cursor() const { return m_cursor; }
    qsizetype start() const { return std::min(m_anchor, m_cursor); }
    qsizetype end() const { return std::max(m_anchor, m_cursor); }
    qsizetype length() const { return end() - start(); }
    bool isEmpty() const { return m_anchor == m_cursor; }

    // Both ends, each clamped to 0..textSize.
    bool set(qsizetype anchor, qsizetype cursor, qsizetype textSize);
    // The cursor moves, the anchor stays.
    bool moveCursor(qsizetype cursor, qsizetype textSize)
    {
        return set(m_anchor, cursor, textSize);
    }
    // Nothing selected; the cursor stays where it is.
    bool collapse(qsizetype textSize) { return set(m_cursor, m_cursor, textSize); }
    bool selectAll(qsizetype textSize) { return set(0, textSize, textSize); }
    // The word (bytes other than blanks and line breaks) holding `pos`, or
    // ending just before it; none there leaves an empty selection at `pos`.
    // A word never reaches past its line.
    bool selectWordAt(const PaneText &text, qsizetype pos);
    // Both ends back to 0, for text that was replaced or cleared. Returns
    // whether something was selected.
    bool reset();

    // The selected bytes: what a copy takes (none when nothing is selected).
    QByteArray bytes(const PaneText &text) const;

    // `pos` one byte on (forward) or back, a CR LF stepped over as one line
    // break; the text's ends stop it.
    static qsizetype step(const PaneText &text, qsizetype pos, bool forward);

private:
    qsizetype m_anchor = 0;
    qsizetype m_cursor = 0;
};
