#pragma once

#include <QFont>
#include <QStringList>

class QPrinter;

// Puts lines on a printer in the print font, top to bottom, starting a new
// page when one is full. Lines are never wrapped: what doesn't fit across
// the page is cut off at its edge.
namespace PanePrinter {

// "courier new", 12 points: a fixed pitch, so slices line up.
QFont printFont();

// How many lines of the print font fit on one of the printer's pages.
int linesPerPage(QPrinter &printer);

// Prints the lines as one document and ends it. False when the printer
// could not be started or a new page could not be begun; whatever was
// printed by then stays in the ended document.
bool print(QPrinter &printer, const QStringList &lines);

} // namespace PanePrinter
