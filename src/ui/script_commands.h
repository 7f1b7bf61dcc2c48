#pragma once

#include "automation/script_run.h"

#include <QObject>
#include <QPointer>
#include <QString>

class CaptureSession;
class DisplayWindow;
class QAction;
class QMenu;
class QMessageBox;

// File > "Run Script..." and "Stop Script": one script at a time drives the
// channels (automation/script_run.h) while the window goes on. Its on() and
// off() switch the channel as a click on its switch would (the switch
// shows it); what it logs shows on
// the status line and on standard error; an error ends it with a message
// naming the file and line. JavaScript that runs stuckMs without calling
// the program is offered a stop.
class ScriptCommands : public QObject
{
    Q_OBJECT

public:
    ScriptCommands(CaptureSession &session, DisplayWindow *window);

    void addEntries(QMenu *file);
    // Starts `path`; false (said in a message) when it can't start.
    bool run(const QString &path);
    void stop();
    ScriptRun &script() { return m_script; }

private:
    void chooseAndRun();
    void showLog(const QString &text);
    void onFinished(const ScriptOutcome &outcome);
    void offerStop();
    void updateEntries();

    DisplayWindow *m_window;
    ScriptRun m_script;
    QAction *m_runEntry = nullptr;
    QAction *m_stopEntry = nullptr;
    QPointer<QMessageBox> m_stuckQuestion;
    QString m_folder;
};
