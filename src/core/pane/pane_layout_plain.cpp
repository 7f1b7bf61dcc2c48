// Laying out the lines most text is made of, reading the store in place:
// whole lines without a tab, each inside one block.
#include "core/pane/pane_layout.h"
#include "core/pane/pane_text.h"
#include "core/pane/short_lines.h"

qsizetype PaneLayout::layOutPlainLines(const PaneText &text, qsizetype start)
{
    const QByteArrayView chunk = text.chunkAt(start);
    const char *data = chunk.data();
    // A line holding a tab, or any the walk stops at: the general way.
    const char *lineStart = data;
    takeShortLines(
        data, data + chunk.size(),
        [&](const char *line, const char *lineBreak, const char *next) {
            const qint64 cells = lineBreak - line;
            const qint64 rows =
                cells <= m_columns ? 1 : RowWrap::rowsOfPlain(line, cells, m_columns, kRowStep);
            if (rows == 0)
                return false; // rows enough to keep where some start
            pushLine(cells, rows);
            if (cells > m_columns)
                m_rows.set(m_cells.size() - 1, quint8(rows));
            lineStart = next;
            return true;
        },
        '\t');
    return start + (lineStart - data);
}
