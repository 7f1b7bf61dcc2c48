#pragma once

#include <QList>
#include <QtGlobal>

// Which stretches of a pane's text are local echo (what the operator sent),
// so a view can colour them. Kept sparse: one range per run of echo, and
// runs that touch are one range, so a pane that never echoes holds nothing.
// Ranges are added in text order only.
class EchoRanges
{
public:
    // Marks [from, to); `from` is at or past every range held.
    void add(qsizetype from, qsizetype to);
    void clear() { m_ranges.clear(); }
    // The text's first `bytes` went: every range moves down by that many.
    void dropFront(qsizetype bytes);
    bool isEmpty() const { return m_ranges.isEmpty(); }
    bool contains(qsizetype pos) const;

private:
    struct Range
    {
        qsizetype from;
        qsizetype to;
    };
    QList<Range> m_ranges;
};
