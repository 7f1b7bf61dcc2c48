#pragma once

#include <QObject>
#include <QString>

class CaptureSession;
class DisplayWindow;
class LastSetup;
class RecentSetups;
class QMenu;

// File > "Open Setup..." and "Save Setup As...": a setup file keeps both
// channels' port choices, modes and values and the serial settings, the
// shared ones and a channel's own where they differ (see
// devices/setup_file.h). Opening one switches both channels off, applies
// it to the channels and the window's controls, and switches on the
// channels that were on when it was saved, reporting failures as usual.
// A channel the setup has listen beyond loopback (TCP Listen at "*" or
// another non-loopback address) is asked about first; No leaves it off.
class SetupCommands : public QObject
{
    Q_OBJECT

public:
    SetupCommands(CaptureSession &session, DisplayWindow *window);

    void addEntries(QMenu *file);

    // The commands with the file chosen; both say what went wrong in a
    // message. False when nothing was saved or applied.
    bool saveSetup(const QString &path);
    bool openSetup(const QString &path);
    // File > Remember Setup on Exit.
    LastSetup *lastSetup() const { return m_lastSetup; }
    // File > Recent Setups: the files these commands opened or saved.
    RecentSetups *recentSetups() const { return m_recentSetups; }

private:
    void chooseAndSave();
    void chooseAndOpen();

    CaptureSession &m_session;
    DisplayWindow *m_window;
    LastSetup *m_lastSetup;
    RecentSetups *m_recentSetups;
    QString m_folder; // offered by the next file dialog
};
