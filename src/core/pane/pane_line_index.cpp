#include "core/pane/pane_line_index.h"

#include "core/pane/pane_store.h"
#include "core/pane/short_lines.h"

PaneLineIndex::PaneLineIndex()
{
    clear();
}

void PaneLineIndex::clear()
{
    m_marks.clear();
    m_marks.append(Mark{0, 0});
    m_lines = 1;
    m_lastStart = 0;
}

void PaneLineIndex::addLine(qsizetype start)
{
    ++m_lines;
    m_lastStart = start;
    const Mark &mark = m_marks.last();
    if (m_lines - 1 - mark.line >= kMarkLines || start - mark.pos >= kMarkBytes)
        m_marks.append(Mark{m_lines - 1, start});
}

qsizetype PaneLineIndex::resume(const PaneStore &store, qsizetype from)
{
    const qsizetype size = store.size();
    qsizetype pos = from;
    // An LF right after a CR of an earlier append belongs to the CR's line
    // break: the line the CR started begins past the LF.
    if (m_rule == LineBreaks::CrLf && from > m_lastStart)
        pos = from - 1; // the CR of a pair whose LF is new
    if (m_rule == LineBreaks::Any && from > 0 && from < size && m_lastStart == from &&
        store.at(from - 1) == '\r' && store.at(from) == '\n') {
        m_lastStart = from + 1;
        if (m_marks.last().line == m_lines - 1)
            m_marks.last().pos = from + 1;
        pos = from + 1;
    }
    return pos;
}

void PaneLineIndex::index(const PaneStore &store, qsizetype from)
{
    const qsizetype size = store.size();
    qsizetype pos = resume(store, from);
    while (pos < size) {
        if (m_rule == LineBreaks::Any) {
            pos = indexChunk(store, pos);
            if (pos >= size)
                break;
        }
        const qsizetype lineBreak = findBreak(store, pos, size);
        if (lineBreak >= size)
            break;
        pos = afterBreak(store, lineBreak);
        addLine(pos);
    }
}

qsizetype PaneLineIndex::indexChunk(const PaneStore &store, qsizetype pos)
{
    const QByteArrayView chunk = store.chunkAt(pos);
    const char *data = chunk.data();
    // Past a long run, or a CR whose LF may start the next chunk, the
    // general search goes on from where this one stopped.
    const char *stop = takeShortLines(data, data + chunk.size(),
                                      [&](const char *, const char *, const char *next) {
                                          addLine(pos + (next - data));
                                          return true;
                                      });
    return pos + (stop - data);
}

void PaneLineIndex::indexKnown(const PaneStore &store, qsizetype from,
                               std::span<const qsizetype> starts)
{
    Q_ASSERT(m_rule == LineBreaks::Any);
    const qsizetype pos = resume(store, from);
    for (const qsizetype start : starts) {
        if (from + start > pos)
            addLine(from + start);
    }
}

qsizetype PaneLineIndex::lineStart(const PaneStore &store, qsizetype line) const
{
    if (line >= m_lines - 1)
        return m_lastStart;
    const qsizetype after = m_marks.upperBound([line](const Mark &m) { return line < m.line; });
    const Mark &mark = m_marks[after - 1];
    // Every line between two marks starts less than kMarkBytes after the
    // first, so this reads little.
    qsizetype pos = mark.pos;
    for (qsizetype l = mark.line; l < line; ++l)
        pos = afterBreak(store, findBreak(store, pos, store.size()));
    return pos;
}

qsizetype PaneLineIndex::lineEnd(const PaneStore &store, qsizetype line) const
{
    if (line >= m_lines - 1)
        return store.size();
    const qsizetype next = lineStart(store, line + 1);
    return next - LineBreakRule::lengthBefore(store, m_rule, next);
}

qsizetype PaneLineIndex::lineAt(const PaneStore &store, qsizetype pos) const
{
    if (pos >= m_lastStart)
        return m_lines - 1;
    const qsizetype after = m_marks.upperBound([pos](const Mark &m) { return pos < m.pos; });
    const Mark &mark = m_marks[after - 1];
    const qsizetype nextMarked = after < m_marks.size() ? m_marks[after].line : m_lines;
    qsizetype line = mark.line;
    qsizetype start = mark.pos;
    // Lines up to the next mark start close to this one; the last of them
    // may be long, but needs no reading: the next mark is past `pos`.
    while (line + 1 < nextMarked) {
        const qsizetype next = afterBreak(store, findBreak(store, start, store.size()));
        if (next > pos)
            break;
        ++line;
        start = next;
    }
    return line;
}
