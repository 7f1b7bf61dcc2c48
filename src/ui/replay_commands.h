#pragma once

#include "ui/replay_dialog.h"

#include <QObject>

class CaptureSession;
class QAction;
class QMenu;
class QWidget;

// File > Replay... asks for a recording and starts its replay on a channel;
// File > Stop Replay stops every replay. Refusals come as a message, ends of
// replays on the status line.
class ReplayCommands : public QObject
{
    Q_OBJECT

public:
    ReplayCommands(CaptureSession &session, QWidget *window);

    // Adds Replay... and Stop Replay to `file`; returns the first.
    QAction *addEntries(QMenu *file);

private:
    void chooseAndStart();
    void stopAll();
    void showEnd(const QString &text);

    CaptureSession &m_session;
    QWidget *m_window;
    ReplayChoice m_last;
};
