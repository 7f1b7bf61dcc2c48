#pragma once

#include "core/line_break_rule.h"
#include "core/pane/chunked_list.h"

#include <QtGlobal>

#include <span>

class PaneStore;

// Where the lines of a PaneStore start, kept sparse: a mark every 64 lines,
// or sooner once 4 KB passed since the last one. Any line's start is then
// found from the mark before it by reading at most about 4 KB, and the
// index costs about 16 bytes per 64 lines. Lines end as its LineBreaks rule
// says (by default CR LF, a lone LF and a lone CR each end one line), also
// when the CR and the LF of a pair come in different appends.
class PaneLineIndex
{
public:
    static constexpr qsizetype kMarkLines = 64;
    static constexpr qsizetype kMarkBytes = 4096;

    PaneLineIndex();

    void clear();
    // Takes effect from the next index(); index the whole store again after.
    void setRule(LineBreaks rule) { m_rule = rule; }
    LineBreaks rule() const { return m_rule; }
    // Takes in the bytes of `store` from `from` on (appended since last).
    void index(const PaneStore &store, qsizetype from);
    // As index(), under the Any rule, for bytes whose writer already knows
    // where their lines start: `starts` are those positions, relative to
    // `from` and in order, one after each line break the rule finds (a CR
    // at the very end counts; the LF that completes an earlier CR does not).
    void indexKnown(const PaneStore &store, qsizetype from, std::span<const qsizetype> starts);

    qsizetype lineCount() const { return m_lines; }
    qsizetype lineStart(const PaneStore &store, qsizetype line) const;
    qsizetype lineEnd(const PaneStore &store, qsizetype line) const;
    qsizetype lineAt(const PaneStore &store, qsizetype pos) const;
    // The start of the line after the one whose break is at `lineBreak`.
    qsizetype afterBreak(const PaneStore &store, qsizetype lineBreak) const
    {
        return LineBreakRule::after(store, m_rule, lineBreak);
    }
    qsizetype findBreak(const PaneStore &store, qsizetype from, qsizetype to) const
    {
        return LineBreakRule::find(store, m_rule, from, to);
    }

private:
    struct Mark
    {
        qsizetype line;
        qsizetype pos;
    };

    void addLine(qsizetype start);
    // Under the Any rule, the lines that start in the chunk of the store
    // holding `pos`, read in place (most lines are short and end in the
    // chunk they start in). Returns where the general search goes on.
    qsizetype indexChunk(const PaneStore &store, qsizetype pos);
    // Where index() starts to look for breaks in bytes appended from `from`
    // on, once a CR LF pair split between two appends is made one break.
    qsizetype resume(const PaneStore &store, qsizetype from);

    ChunkedList<Mark, 14> m_marks;
    qsizetype m_lines = 1;
    qsizetype m_lastStart = 0;
    LineBreaks m_rule = LineBreaks::Any;
};
