#include "ui/print_dialog_component.h"

#include <QPrintDialog>

PrintDialogComponent::~PrintDialogComponent() = default;

bool QtPrintDialogComponent::showPrintSetup(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
