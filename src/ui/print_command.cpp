#include "ui/print_command.h"

#include "core/pane_text.h"
#include "ui/pane_printer.h"
#include "ui/print_dialog_component.h"
#include "core/print_layout.h"
#include "ui/program_message.h"

#include <QPrinter>

PrintOutcome printReceivePane(const PaneText &recv1, bool asciiSelected, QWidget *parent,
                              PrintDialogComponent &dlgPrint)
{
    if (recv1.isEmpty()) {
        showProgramMessage(parent, QStringLiteral("No Data!"));
        return PrintOutcome::NoData;
    }

    QPrinter printer(QPrinter::HighResolution);
    if (!dlgPrint.showPrintSetup(printer, parent))
        return PrintOutcome::Cancelled;

    // Data may have arrived while the dialog was open: print what the pane
    // holds now.
    const QString text = QString::fromLatin1(recv1.text());
    const QStringList lines = PrintLayout::printLines(text, asciiSelected);
    return PanePrinter::print(printer, lines) ? PrintOutcome::Printed : PrintOutcome::Failed;
}
