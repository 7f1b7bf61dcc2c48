#pragma once

#include "ui/send_buttons_dialog.h"

#include <QObject>
#include <QPointer>

#include <vector>

class CaptureSession;
class QAction;
class QMainWindow;
class QMenu;
class QWidget;
class SendButtonBar;

// The send buttons in the main window: a row per channel under the channel
// groups (SendButtonBar), and Setup > Send Buttons > "Comm Port N..." to
// define them (also in each receive pane's context menu). The rows live as
// long as the window; the transmit fields they answer F-keys in are handed
// over at each load of the window.
class SendButtonCommands : public QObject
{
    Q_OBJECT

public:
    SendButtonCommands(CaptureSession &session, QMainWindow *window);

    void addEntries(QMenu *setup);
    // The action that opens channel `number`'s dialog.
    QAction *defineAction(int number) const { return m_actions.at(size_t(number - 1)); }
    SendButtonBar *bar(int number) const { return m_bars.at(size_t(number - 1)); }
    void watchKeys(int number, QWidget *transmitField);

private:
    void define(int number);

    CaptureSession &m_session;
    QMainWindow *m_window;
    std::vector<SendButtonBar *> m_bars;
    std::vector<QAction *> m_actions;
    std::vector<QPointer<SendButtonsDialog>> m_dialogs;
};
