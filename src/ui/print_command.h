#pragma once

#include "core/pane/line_time_text.h"

class PaneText;
class PrintDialogComponent;
class QWidget;

enum class PrintOutcome
{
    NoData,    // the pane was empty: the operator was told, nothing was printed
    Cancelled, // the operator cancelled the print dialog, or the printing
    Failed,    // the printer could not be started or failed part way
    Printed,
};

// File > Print: prints channel 1's receive pane after the operator has chosen
// a printer. `asciiSelected` picks the layout: the text whole, or cut into
// 60-character lines. Only an empty pane is reported to the operator;
// everything else ends quietly. The window stays responsive while the pages
// are made (a long job shows its progress, with Cancel). With `times`, each
// line's time is printed before it, as the pane shows it.
PrintOutcome printReceivePane(const PaneText &recv1, bool asciiSelected, QWidget *parent,
                              PrintDialogComponent &dlgPrint,
                              LineTimeForm times = LineTimeForm::Off);
