#pragma once

class QPrinter;
class QWidget;

// The print dialog File > Print goes through: the operator chooses a printer
// and confirms (true) or cancels (false).
class PrintDialogComponent
{
public:
    virtual ~PrintDialogComponent();
    virtual bool showPrintSetup(QPrinter &printer, QWidget *parent) = 0;
};

// The platform's print dialog, shown modally.
class QtPrintDialogComponent : public PrintDialogComponent
{
public:
    bool showPrintSetup(QPrinter &printer, QWidget *parent) override;
};
