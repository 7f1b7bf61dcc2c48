#include "support/pdf_text.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace {

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString unescapeXml(QString text)
{
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

} // namespace

QString pdfRawText(const QString &pdfPath)
{
    return runTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-raw"), pdfPath, QStringLiteral("-")});
}

QStringList pdfTextLines(const QString &pdfPath)
{
    QStringList lines;
    const QStringList pages = pdfRawText(pdfPath).split(QLatin1Char('\f'));
    for (const QString &page : pages) {
        QStringList pageLines = page.split(QLatin1Char('\n'));
        while (!pageLines.isEmpty() && pageLines.constLast().isEmpty())
            pageLines.removeLast();
        lines << pageLines;
    }
    return lines;
}

QList<PdfWord> pdfWords(const QString &pdfPath)
{
    const QString html = runTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), pdfPath, QStringLiteral("-")});
    static const QRegularExpression tag(
        QStringLiteral("<page\\b|<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" "
                       "xMax=\"([-0-9.]+)\" yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    QList<PdfWord> words;
    int page = -1;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        PdfWord word;
        word.page = page;
        word.xMin = match.captured(1).toDouble();
        word.yMin = match.captured(2).toDouble();
        word.xMax = match.captured(3).toDouble();
        word.yMax = match.captured(4).toDouble();
        word.text = unescapeXml(match.captured(5));
        words << word;
    }
    return words;
}

int pdfPageCount(const QString &pdfPath)
{
    static const QRegularExpression pagesLine(QStringLiteral("^Pages:\\s+(\\d+)\\s*$"),
                                              QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match =
        pagesLine.match(runTool(QStringLiteral("pdfinfo"), {pdfPath}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}
