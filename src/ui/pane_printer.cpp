#include "ui/pane_printer.h"

#include "core/print_layout.h"

#include <QFontMetricsF>
#include <QPainter>
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

bool print(QPrinter &printer, const QStringList &lines)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setFont(printFont());
    const QFontMetricsF metrics(painter.font(), &printer);
    const double spacing = metrics.lineSpacing();
    const QRect page(0, 0, printer.width(), printer.height());

    bool ok = true;
    const QList<QStringList> pages = PrintLayout::pages(lines, linesPerPage(printer));
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0 && !printer.newPage()) {
            ok = false;
            break;
        }
        // A line longer than the page is cut off at its edge, not wrapped.
        painter.setClipRect(page);
        double baseline = metrics.ascent();
        for (const QString &line : pages.at(p)) {
            if (!line.isEmpty())
                painter.drawText(QPointF(0, baseline), line);
            baseline += spacing;
        }
    }
    painter.end();
    return ok;
}

} // namespace PanePrinter
