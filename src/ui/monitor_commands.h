#pragma once

#include <QObject>

class CaptureSession;
class MonitorWindow;
class QMenu;
class QWidget;

// View > Monitor: opens (or raises) the MonitorWindow, made when first
// asked for; from then on it takes what every channel receives.
class MonitorCommands : public QObject
{
    Q_OBJECT

public:
    MonitorCommands(CaptureSession &session, QWidget *window);

    // The Monitor entry at the top of the View menu.
    void addViewEntry(QMenu *view);
    MonitorWindow *showMonitor();
    // The window, once made.
    MonitorWindow *monitorWindow() const { return m_monitor; }

private:
    CaptureSession &m_session;
    QWidget *m_window;
    MonitorWindow *m_monitor = nullptr;
};
