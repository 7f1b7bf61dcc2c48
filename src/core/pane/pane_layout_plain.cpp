// Laying out the lines most text is made of, reading the store in place:
// whole lines without a tab, each inside one block.
#include "core/first_of_bytes.h"
#include "core/pane/pane_layout.h"
#include "core/pane/pane_store.h"
#include "core/pane/pane_text.h"

#include <algorithm>

qsizetype PaneLayout::layOutPlainLines(const PaneText &text, qsizetype start)
{
    const QByteArrayView chunk = text.chunkAt(start);
    const char *data = chunk.data();
    const char *end = data + chunk.size();
    const char *p = data;
    while (p < end) {
        // A line longer than a short run, one going on past the block (or
        // the text), a tab, or a CR whose LF may come next: the general way.
        const qsizetype near = std::min<qsizetype>(end - p, PaneStore::kShortRun);
        const char *lineBreak = p + firstOfBytes(p, near, '\n', '\r', '\t');
        if (lineBreak == p + near || *lineBreak == '\t' ||
            (*lineBreak == '\r' && lineBreak + 1 == end))
            break;
        const qint64 cells = lineBreak - p;
        const qint64 rows =
            cells <= m_columns ? 1 : RowWrap::rowsOfPlain(p, cells, m_columns, kRowStep);
        if (rows == 0)
            break; // rows enough to keep where some start
        pushLine(cells, rows);
        if (cells > m_columns)
            m_rows.set(m_cells.size() - 1, quint8(rows));
        p = lineBreak + (*lineBreak == '\r' && lineBreak[1] == '\n' ? 2 : 1);
    }
    return start + (p - data);
}
