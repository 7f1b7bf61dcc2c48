#include "core/print_layout.h"

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
            for (const QString &line : lines)
                emitLine(line.toLatin1());
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
    while (m_columns > 0 && m_carry.size() - held - done > m_columns) {
        m_ready.push_back(QString::fromLatin1(m_carry.mid(done, m_columns)));
        done += m_columns;
    }
    m_carry.remove(0, done);
}

void PrintLines::emitLine(const QByteArray &line)
{
    if (m_columns == 0 || line.size() <= m_columns) {
        m_ready.push_back(QString::fromLatin1(line));
        return;
    }
    for (qsizetype from = 0; from < line.size(); from += m_columns)
        m_ready.push_back(QString::fromLatin1(line.mid(from, m_columns)));
}
