#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>

class QPrinter;

// Puts lines on a printer in the print font, top to bottom, starting a new
// page when one is full.
namespace PanePrinter {

// "courier new", 12 points: a fixed pitch, so slices line up.
QFont printFont();

// How many lines of the print font fit on one of the printer's pages, and
// how many characters across it.
int linesPerPage(QPrinter &printer);
int columnsPerLine(QPrinter &printer);

// The usual margins of a printed page, set before the print dialog so the
// operator sees (and may change) them.
void setUsualMargins(QPrinter &printer);

// Prints the lines as one document and ends it. False when the printer
// could not be started or a new page could not be begun; whatever was
// printed by then stays in the ended document. A line wider than the page
// is cut off at its edge: lay lines out to columnsPerLine() first.
bool print(QPrinter &printer, const QStringList &lines);

} // namespace PanePrinter

// Prints one line after another on a started printer, beginning a new page
// whenever one is full.
class PagePainter
{
public:
    explicit PagePainter(QPrinter &printer);
    ~PagePainter();

    bool isActive() const { return m_painter.isActive(); }
    // False when a new page could not be begun.
    bool printLine(const QString &line);
    // Ends the document; false when printing had failed.
    bool finish();

private:
    QPrinter &m_printer;
    QPainter m_painter;
    QFontMetricsF m_metrics;
    int m_linesPerPage = 1;
    int m_lineOnPage = 0;
    bool m_ok = true;
};
