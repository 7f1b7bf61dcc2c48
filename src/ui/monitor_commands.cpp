#include "ui/monitor_commands.h"

#include "ui/monitor_window.h"

#include <QAction>
#include <QMenu>

MonitorCommands::MonitorCommands(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
{}

void MonitorCommands::addViewEntry(QMenu *view)
{
    auto *action = new QAction(tr("&Monitor"), view);
    action->setObjectName(QStringLiteral("mnuViewMonitor"));
    action->setToolTip(tr("The channels' received data in one pane, in the order it arrived"));
    connect(action, &QAction::triggered, this, &MonitorCommands::showMonitor);
    const QList<QAction *> entries = view->actions();
    view->insertAction(entries.isEmpty() ? nullptr : entries.front(), action);
    view->insertSeparator(entries.isEmpty() ? nullptr : entries.front());
}

MonitorWindow *MonitorCommands::showMonitor()
{
    if (!m_monitor)
        m_monitor = new MonitorWindow(m_session, m_window);
    m_monitor->show();
    m_monitor->raise();
    m_monitor->activateWindow();
    return m_monitor;
}

#include "moc_monitor_commands.cpp"
