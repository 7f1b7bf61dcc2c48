#pragma once

#include <QList>
#include <QString>

// Reading printed PDF files back with poppler's command-line tools.

// The text as `pdftotext -raw` gives it: lines in print order, a form feed
// after each page.
QString pdfRawText(const QString &pdfPath);

// The text lines of all pages, without the form feeds and without the empty
// lines pdftotext leaves at page ends.
QStringList pdfTextLines(const QString &pdfPath);

// One word with its box, in points from the page's top-left corner.
struct PdfWord
{
    int page = 0; // from 0
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
    QString text;
};

// Every word with its position (`pdftotext -bbox`).
QList<PdfWord> pdfWords(const QString &pdfPath);

// The page count `pdfinfo` reports; -1 when it can't be read.
int pdfPageCount(const QString &pdfPath);
