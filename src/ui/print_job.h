#pragma once

#include "ui/print_command.h"

#include <QObject>

class PrintLines;
class QPrinter;
class QWidget;

// Prints laid-out lines on a started printer a few pages at a time, so the
// window stays responsive however big the text. A job taking longer than
// half a second shows its progress with a Cancel button.
class PrintJob : public QObject
{
    Q_OBJECT

public:
    PrintJob(QPrinter &printer, PrintLines &lines);

    // Returns when the job is done or cancelled; events go on meanwhile.
    PrintOutcome run(QWidget *parent);

private:
    QPrinter &m_printer;
    PrintLines &m_lines;
};
