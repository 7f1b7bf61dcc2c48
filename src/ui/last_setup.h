#pragma once

#include <QObject>
#include <QString>

class CaptureSession;
class QAction;
class QMenu;
class SetupCommands;

// File > "Remember Setup on Exit": off at first, so a normal start is at the
// defaults. The switch itself is kept in varnokterm.conf; while it is on, the
// setup (as File > Save Setup As... writes it) is saved once when the program
// ends, to last.vterm, and opened at the next start when no setup file is
// named on the command line. Both files live in the user's config folder,
// $XDG_CONFIG_HOME/varnokterm (~/.config/varnokterm), beside the headless
// service's setups. The channels' sent lines (Up, Down and Ctrl+R of the
// transmit line) are kept with it, in sent-lines.conf there, never in a
// setup file: a setup is a file to hand on, and typed lines may hold
// passwords.
class LastSetup : public QObject
{
    Q_OBJECT

public:
    LastSetup(SetupCommands &commands, CaptureSession &session, QObject *parent);

    void addEntry(QMenu *file);
    bool remembered() const;
    static QString path();
    static QString sentLinesPath();
    // The program's own settings file, varnokterm.conf.
    static QString settingsPath();

    // At start: opens last.vterm if the switch is on and the file is there.
    void restore();
    // At the end, before the channels are switched off: saves the setup if
    // the switch is on. Once per run, however the program ends.
    void saveOnExit();

private:
    void setRemembered(bool on);

    void restoreSentLines();
    void saveSentLines();

    SetupCommands &m_commands;
    CaptureSession &m_session;
    QAction *m_switch = nullptr;
    bool m_saved = false;
};
