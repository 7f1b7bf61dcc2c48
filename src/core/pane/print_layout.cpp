#include "core/pane/print_layout.h"

#include <algorithm>

namespace {

// Blocks of text read at a time: a multiple of the slice length.
constexpr qsizetype blockSize = 64 * 1020;

} // namespace

namespace PrintLayout {

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    lines << text.mid(start);
    return lines;
}

QStringList printLines(const QString &paneText, bool wholeText)
{
    const QByteArray text = paneText.toLatin1();
    PrintLines source([&text](qsizetype pos, qsizetype length) { return text.mid(pos, length); },
                      text.size(), wholeText, 0);
    QStringList lines;
    while (!source.atEnd())
        lines << source.next();
    return lines;
}

QList<QStringList> pages(const QStringList &lines, int linesPerPage)
{
    const qsizetype perPage = std::max(1, linesPerPage);
    QList<QStringList> result;
    for (qsizetype from = 0; from < lines.size(); from += perPage)
        result << lines.mid(from, perPage);
    return result;
}

} // namespace PrintLayout

PrintLines::PrintLines(Reader read, qsizetype size, bool wholeText, int columns)
    : m_read(std::move(read))
    , m_size(size)
    , m_wholeText(wholeText)
    , m_columns(std::max(0, columns))
{
    for (int i = 0; i < PrintLayout::leadingBlankLines; ++i)
        m_ready.emplace_back();
}

void PrintLines::setLinePrefix(LinePrefix prefix, int width)
{
    m_prefix = std::move(prefix);
    m_prefixWidth = m_prefix ? width : 0;
}

int PrintLines::rowColumns() const
{
    if (m_columns == 0 || !m_prefix)
        return m_columns;
    return std::max(1, m_columns - m_prefixWidth - 1);
}

void PrintLines::pushRow(const QByteArray &row)
{
    if (!m_prefix) {
        m_ready.push_back(QString::fromLatin1(row));
        return;
    }
    const QString lead = m_inLine ? QString(m_prefixWidth, u' ') : m_prefix(m_line);
    m_inLine = true;
    m_ready.push_back(lead + u' ' + QString::fromLatin1(row));
}

void PrintLines::endLine()
{
    if (m_inLine)
        ++m_line;
    m_inLine = false;
}

bool PrintLines::atEnd()
{
    while (m_ready.empty() && !m_finished)
        produce();
    return m_ready.empty();
}

QString PrintLines::next()
{
    if (atEnd())
        return {};
    QString line = std::move(m_ready.front());
    m_ready.pop_front();
    return line;
}

void PrintLines::produce()
{
    QByteArray block =
        m_pos < m_size ? m_read(m_pos, std::min(blockSize, m_size - m_pos)) : QByteArray();
    if (block.isEmpty())
        m_size = m_pos; // the text ended early (it was cleared meanwhile)
    m_pos += block.size();
    const bool last = m_pos >= m_size;
    if (m_wholeText) {
        produceWhole(block, last);
    } else {
        for (qsizetype from = 0; from < block.size(); from += PrintLayout::sliceLength) {
            const QStringList lines = PrintLayout::splitLines(
                QString::fromLatin1(block.mid(from, PrintLayout::sliceLength)));
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0)
                    endLine(); // a break in the slice: a new text line
                emitLine(lines.at(i).toLatin1());
            }
        }
    }
    m_finished = last;
}

void PrintLines::produceWhole(const QByteArray &block, bool last)
{
    QByteArray text = std::exchange(m_carry, {}) + block;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '\r' && c != '\n')
            continue;
        if (c == '\r' && i + 1 == text.size() && !last)
            break; // an LF may follow in the next block
        emitLine(text.mid(start, i - start));
        endLine();
        if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (last) {
        emitLine(text.mid(start)); // the text's own last line, maybe empty
        return;
    }
    m_carry = text.mid(start);
    // A line longer than a block is printed in full rows as it comes, so a
    // text without line breaks is never gathered whole.
    const qsizetype held = m_carry.endsWith('\r') ? 1 : 0;
    qsizetype done = 0;
    const int columns = rowColumns();
    while (columns > 0 && m_carry.size() - held - done > columns) {
        pushRow(m_carry.mid(done, columns));
        done += columns;
    }
    m_carry.remove(0, done);
}

void PrintLines::emitLine(const QByteArray &line)
{
    const int columns = rowColumns();
    if (columns == 0 || line.size() <= columns) {
        pushRow(line);
        return;
    }
    for (qsizetype from = 0; from < line.size(); from += columns)
        pushRow(line.mid(from, columns));
}
