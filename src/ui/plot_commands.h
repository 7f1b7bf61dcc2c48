#pragma once

#include <QObject>

#include <vector>

class CaptureSession;
class PlotWindow;
class QMenu;
class QWidget;

// The plot commands of the main window: View > Comm Port N > Plot opens
// (or raises) the channel's PlotWindow, made when first asked for; File >
// Export Plot Data as CSV writes a channel's plot data.
class PlotCommands : public QObject
{
    Q_OBJECT

public:
    PlotCommands(CaptureSession &session, QWidget *window);

    // The File menu's submenu, one entry per channel.
    void addFileEntries(QMenu *file);
    // A Plot entry in each channel's part of the View menu.
    void addViewEntries(QMenu *view);

    PlotWindow *showPlot(int channel);
    void exportCsv(int channel);

private:
    PlotWindow *plotWindow(int channel);

    CaptureSession &m_session;
    QWidget *m_window;
    std::vector<PlotWindow *> m_windows; // by channel number - 1
};
