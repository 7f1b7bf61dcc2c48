#include "core/print_layout.h"

#include <algorithm>

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
    QStringList lines;
    for (int i = 0; i < leadingBlankLines; ++i)
        lines << QString();
    if (wholeText) {
        lines << splitLines(paneText);
        return lines;
    }
    for (qsizetype from = 0; from < paneText.size(); from += sliceLength)
        lines << splitLines(paneText.mid(from, sliceLength));
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
