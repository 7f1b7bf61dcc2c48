#include "ui/print_command.h"

#include "core/pane/pane_text.h"
#include "core/pane/print_layout.h"
#include "ui/pane_printer.h"
#include "ui/print_dialog_component.h"
#include "ui/print_job.h"
#include "ui/program_message.h"

#include <QPrinter>

PrintOutcome printReceivePane(const PaneText &recv1, bool asciiSelected, QWidget *parent,
                              PrintDialogComponent &dlgPrint, LineTimeForm times)
{
    if (recv1.isEmpty()) {
        showProgramMessage(parent, QStringLiteral("No Data!"));
        return PrintOutcome::NoData;
    }

    QPrinter printer(QPrinter::HighResolution);
    PanePrinter::setUsualMargins(printer);
    if (!dlgPrint.showPrintSetup(printer, parent))
        return PrintOutcome::Cancelled;

    // Data may have arrived while the dialog was open: print what the pane
    // holds now, read a piece at a time. Long lines continue on the next
    // printed line, so every character reaches the paper.
    PrintLines lines([&recv1](qsizetype pos, qsizetype length) { return recv1.copy(pos, length); },
                     recv1.size(), asciiSelected, PanePrinter::columnsPerLine(printer));
    if (times != LineTimeForm::Off)
        lines.setLinePrefix(
            [&recv1, times](qsizetype line) { return LineTimeText::of(recv1, line, times); },
            LineTimeText::width(times));
    return PrintJob(printer, lines).run(parent);
}
