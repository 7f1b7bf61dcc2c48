#include "ui/plot_commands.h"

#include "devices/capture_session.h"
#include "ui/plot_window.h"

#include <QAction>
#include <QMenu>

PlotCommands::PlotCommands(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
{}

void PlotCommands::addFileEntries(QMenu *file)
{
    QMenu *exports = file->addMenu(tr("Export Plot &Data as CSV"));
    exports->setObjectName(QStringLiteral("mnuFileExportPlot"));
    for (const Channel *entry : m_session.channels()) {
        const int n = entry->number();
        QAction *action = exports->addAction(tr("Comm Port &%1...").arg(n));
        action->setObjectName(QStringLiteral("mnuFileExportPlot%1").arg(n));
        connect(action, &QAction::triggered, this, [this, n] { exportCsv(n); });
    }
}

void PlotCommands::exportCsv(int channel)
{
    exportPlotCsv(m_session.channel(channel), m_window);
}

#include "moc_plot_commands.cpp"
