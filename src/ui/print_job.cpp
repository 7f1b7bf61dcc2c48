#include "ui/print_job.h"

#include "core/pane/print_layout.h"
#include "ui/pane_printer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>

namespace {

// Each step prints for about this long, then lets the window run.
constexpr int stepMs = 15;
constexpr int progressSteps = 1000;

} // namespace

PrintJob::PrintJob(QPrinter &printer, PrintLines &lines)
    : m_printer(printer)
    , m_lines(lines)
{}

PrintOutcome PrintJob::run(QWidget *parent)
{
    PagePainter pages(m_printer);
    if (!pages.isActive())
        return PrintOutcome::Failed;

    QProgressDialog progress(tr("Printing Comm Port 1..."), tr("Cancel"), 0, progressSteps, parent);
    progress.setObjectName(QStringLiteral("printProgress"));
    progress.setWindowTitle(tr("Print"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setValue(0);

    QEventLoop loop;
    PrintOutcome outcome = PrintOutcome::Printed;
    QTimer step;
    step.setInterval(0);
    connect(&step, &QTimer::timeout, this, [&] {
        if (progress.wasCanceled())
            return; // the cancel is being handled
        QElapsedTimer clock;
        clock.start();
        while (!m_lines.atEnd() && clock.elapsed() < stepMs) {
            if (!pages.printLine(m_lines.next())) {
                outcome = PrintOutcome::Failed;
                loop.quit();
                return;
            }
        }
        const qsizetype size = qMax<qsizetype>(1, m_lines.size());
        progress.setValue(int(double(m_lines.consumed()) / double(size) * progressSteps));
        if (m_lines.atEnd())
            loop.quit();
    });
    connect(&progress, &QProgressDialog::canceled, this, [&] {
        outcome = PrintOutcome::Cancelled;
        m_printer.abort();
        loop.quit();
    });
    step.start();
    loop.exec();
    step.stop();

    const bool finished = pages.finish();
    if (outcome == PrintOutcome::Printed && !finished)
        outcome = PrintOutcome::Failed;
    return outcome;
}

#include "moc_print_job.cpp"
