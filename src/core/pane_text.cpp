#include "core/pane_text.h"

#include "core/byte_text.h"

#include <algorithm>

namespace {

// Once a pane holds more than a little, it gets address space to grow into
// without moving its text: moving a big buffer, even by remapping its pages,
// stalls the window for tens of milliseconds once other threads run.
// Untouched pages cost no memory.
constexpr qsizetype smallPane = qsizetype(1) << 20;
constexpr qsizetype reservedBytes = qsizetype(64) << 20;

} // namespace

PaneText::PaneText(QObject *parent)
    : QObject(parent)
    , m_lineStarts{0}
{}

void PaneText::append(QByteArrayView piece)
{
    if (piece.isEmpty())
        return;
    const qsizetype from = m_text.size();
    const qsizetype needed = from + piece.size();
    if (needed > m_text.capacity() && needed > smallPane)
        m_text.reserve(qMax(reservedBytes, 2 * needed));
    ByteText::appendBytes(m_text, piece);
    indexLines(from);
    emit appended(from);
}

void PaneText::setText(const QByteArray &text)
{
    if (text.isEmpty())
        m_text.truncate(0); // keeps the reserved room
    else
        m_text = text;
    m_lineStarts = {0};
    indexLines(0);
    emit reset();
}

void PaneText::indexLines(qsizetype from)
{
    const char *data = m_text.constData();
    const qsizetype size = m_text.size();
    for (qsizetype i = from; i < size; ++i) {
        const char c = data[i];
        if (c == '\n') {
            // An LF right after a CR belongs to the CR's line break: move the
            // start the CR recorded past the LF.
            if (i > 0 && data[i - 1] == '\r' && m_lineStarts.constLast() == i)
                m_lineStarts.last() = i + 1;
            else
                m_lineStarts.append(i + 1);
        } else if (c == '\r') {
            m_lineStarts.append(i + 1);
        }
    }
}

qsizetype PaneText::lineEnd(qsizetype line) const
{
    if (line + 1 >= m_lineStarts.size())
        return m_text.size();
    const qsizetype next = m_lineStarts.at(line + 1);
    const qsizetype start = m_lineStarts.at(line);
    if (next - 2 >= start && m_text.at(next - 1) == '\n' && m_text.at(next - 2) == '\r')
        return next - 2;
    return next - 1;
}

qsizetype PaneText::lineAt(qsizetype pos) const
{
    const auto it = std::upper_bound(m_lineStarts.cbegin(), m_lineStarts.cend(), pos);
    return std::max<qsizetype>(0, (it - m_lineStarts.cbegin()) - 1);
}
