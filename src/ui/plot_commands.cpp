#include "ui/plot_commands.h"

#include "devices/capture_session.h"
#include "ui/plot_window.h"

#include <QAction>
#include <QMenu>

PlotCommands::PlotCommands(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_windows(size_t(session.channelCount()))
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

void PlotCommands::addViewEntries(QMenu *view)
{
    for (const Channel *entry : m_session.channels()) {
        const int n = entry->number();
        auto *part = view->findChild<QMenu *>(QStringLiteral("mnuViewPort%1").arg(n));
        if (!part)
            continue;
        part->addSeparator();
        QAction *action = part->addAction(tr("P&lot"));
        action->setObjectName(QStringLiteral("mnuViewPlot%1").arg(n));
        action->setToolTip(tr("The numbers the channel receives, plotted over time"));
        connect(action, &QAction::triggered, this, [this, n] { showPlot(n); });
    }
}

PlotWindow *PlotCommands::plotWindow(int channel)
{
    PlotWindow *&window = m_windows.at(size_t(channel - 1));
    if (!window)
        window = new PlotWindow(m_session.channel(channel), m_window);
    return window;
}

PlotWindow *PlotCommands::showPlot(int channel)
{
    PlotWindow *window = plotWindow(channel);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void PlotCommands::exportCsv(int channel)
{
    plotWindow(channel)->exportCsv();
}

#include "moc_plot_commands.cpp"
