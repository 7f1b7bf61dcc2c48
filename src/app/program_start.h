#pragma once

#include "core/stop_signals.h"
#include "devices/capture_session.h"
#include "ui/display_window.h"
#include "ui/sign_on_window.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

// The program's run: the sign-on splash first, then the main window. Holds
// the capture session (its channels) for the whole run. A setup file
// named on the command line, or else the one remembered (File > Remember
// Setup on Exit), is opened once the main window shows; the recordings
// asked for on the command line (--record) start just before it, as in a
// headless run, and one that can't start is reported. SIGTERM, SIGINT and
// SIGHUP end it like File > Exit: ports and connections closed in order,
// exit status 0.
class ProgramStart : public QObject
{
    Q_OBJECT

public:
    // `channelCount`: the channels the setup named on the command line opens
    // (SetupFile::channelCountOf); more than two are shown in the resizable
    // layout of the main window.
    explicit ProgramStart(int channelCount = defaultChannelCount);
    ~ProgramStart() override;

    // A setup file to open once the main window shows (after the splash).
    void setSetupFile(const QString &path) { m_setupFile = path; }
    // A script to run once the setup is open.
    void setScriptFile(const QString &path) { m_scriptFile = path; }
    // Recordings to start once the main window shows: "KIND:PATH" each, as
    // --record takes them (see recordingRequest()).
    void setRecords(const QStringList &records) { m_records = records; }
    void start();
    // Starts, runs the event loop and returns the exit status. A recording
    // whose disk stopped answering would hold the program in its end
    // forever: then it leaves without waiting (ports are closed by then).
    int exec();

    CaptureSession session;
    SignOnWindow *signOn() const { return m_signOn; }
    DisplayWindow *display() const { return m_display.get(); }

private:
    void showMain();
    void exitProgram();
    void startRecords();

    StopSignals m_stopSignals;
    QPointer<SignOnWindow> m_signOn;
    std::unique_ptr<DisplayWindow> m_display;
    QString m_setupFile;
    QString m_scriptFile;
    QStringList m_records;
    bool m_restored = false; // the remembered setup is opened at the first show only
};
