#pragma once

#include "automation/script_api.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QThread;
class ScriptGate;

// One script at a time, run in a JavaScript engine on a thread of its own:
// its send, expect, wait, on and off block that thread, never the GUI
// thread, where the channels go on receiving. Stopping ends any wait at
// once and interrupts running JavaScript; a script that fails stops only
// itself, with a message naming the file, the line and the cause.
//
// From the start, what each channel receives is kept for the script's
// expects (script_gate.h). The host says how channels switch on and off
// (the window's switches, or a setup's choices in a headless run).
class ScriptRun : public QObject
{
    Q_OBJECT

public:
    // JavaScript running this long without calling the program looks stuck.
    static constexpr int stuckMs = 5000;
    // A script is read whole; a larger file is refused, like a setup file.
    static constexpr qint64 largestScript = 1024 * 1024;

    // `host.log` may be left empty: logged() carries what the script logs.
    explicit ScriptRun(ScriptHost host, QObject *parent = nullptr);
    ~ScriptRun() override; // stops the script and waits for its thread

    // Reads and starts the script (a regular file: named_file.h); an empty
    // result, or why it can't start.
    QString start(const QString &path);
    void stop();
    bool isRunning() const { return m_thread != nullptr; }
    QString path() const { return m_path; }

signals:
    void logged(const QString &text);
    void finished(const ScriptOutcome &outcome);
    // Its JavaScript has run stuckMs without calling the program (an
    // endless loop?); said once per such stretch.
    void looksStuck();

private:
    void onThreadFinished();
    void watch();

    ScriptHost m_host;
    QString m_path;
    std::shared_ptr<ScriptGate> m_gate;
    std::shared_ptr<ScriptOutcome> m_outcome;
    QThread *m_thread = nullptr;
    QTimer m_watchdog;
    bool m_saidStuck = false;
};
