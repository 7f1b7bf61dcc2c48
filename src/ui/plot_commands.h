#pragma once

#include <QObject>

class CaptureSession;
class QMenu;
class QWidget;

// File > Export Plot Data as CSV: writes a channel's plot data. (Each
// channel's view has its plot window and its plot in the view.)
class PlotCommands : public QObject
{
    Q_OBJECT

public:
    PlotCommands(CaptureSession &session, QWidget *window);

    // The File menu's submenu, one entry per channel.
    void addFileEntries(QMenu *file);
    void exportCsv(int channel);

private:
    CaptureSession &m_session;
    QWidget *m_window;
};
