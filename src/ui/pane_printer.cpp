#include "ui/pane_printer.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>

#include <cmath>

namespace PanePrinter {

QFont printFont()
{
    QFont font(QStringLiteral("courier new"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(12);
    return font;
}

int linesPerPage(QPrinter &printer)
{
    const double spacing = QFontMetricsF(printFont(), &printer).lineSpacing();
    return std::max(1, int(std::floor(printer.height() / spacing)));
}

int columnsPerLine(QPrinter &printer)
{
    const double advance = QFontMetricsF(printFont(), &printer).horizontalAdvance(QLatin1Char('M'));
    return std::max(1, int(std::floor(printer.width() / advance)));
}

void setUsualMargins(QPrinter &printer)
{
    // Half an inch or so: inside what real printers can reach.
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
}

bool print(QPrinter &printer, const QStringList &lines)
{
    PagePainter pages(printer);
    if (!pages.isActive())
        return false;
    for (const QString &line : lines) {
        if (!pages.printLine(line))
            break;
    }
    return pages.finish();
}

} // namespace PanePrinter

PagePainter::PagePainter(QPrinter &printer)
    : m_printer(printer)
    , m_metrics(PanePrinter::printFont(), &printer)
{
    if (!m_painter.begin(&printer))
        return;
    m_painter.setFont(PanePrinter::printFont());
    m_linesPerPage = PanePrinter::linesPerPage(printer);
    // A line longer than the page is cut off at its edge, not drawn past it.
    m_painter.setClipRect(QRect(0, 0, printer.width(), printer.height()));
}

PagePainter::~PagePainter()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PagePainter::printLine(const QString &line)
{
    if (!m_painter.isActive() || !m_ok)
        return false;
    if (m_lineOnPage == m_linesPerPage) {
        if (!m_printer.newPage()) {
            m_ok = false;
            return false;
        }
        m_painter.setClipRect(QRect(0, 0, m_printer.width(), m_printer.height()));
        m_lineOnPage = 0;
    }
    if (!line.isEmpty())
        m_painter.drawText(QPointF(0, m_metrics.ascent() + m_lineOnPage * m_metrics.lineSpacing()),
                           line);
    ++m_lineOnPage;
    return true;
}

bool PagePainter::finish()
{
    if (!m_painter.isActive())
        return false;
    m_painter.end();
    return m_ok;
}
