#pragma once

#include "ui/send_buttons_dialog.h"

#include <QObject>
#include <QPointer>

#include <vector>

class CaptureSession;
class ChannelView;
class QAction;
class QMainWindow;
class QMenu;
class QWidget;
class SendButtonBar;

// The send buttons in the main window: a row per channel under the channel
// groups (SendButtonBar), and Setup > Send Buttons > "Comm Port N..." to
// define them (each channel view's entry, also in its receive pane's context
// menu). The rows live as long as the window; the views list their entries,
// and hand over the transmit fields the rows answer F-keys in, at each load
// of the window.
class SendButtonCommands : public QObject
{
    Q_OBJECT

public:
    SendButtonCommands(CaptureSession &session, QMainWindow *window);

    void addEntries(QMenu *setup);
    // Lists the view's entry and watches its transmit field's F-keys.
    void list(ChannelView &view);
    SendButtonBar *bar(int number) const { return m_bars.at(size_t(number - 1)); }

private:
    void define(int number);

    CaptureSession &m_session;
    QMainWindow *m_window;
    std::vector<SendButtonBar *> m_bars;
    QMenu *m_menu = nullptr;
    std::vector<QPointer<SendButtonsDialog>> m_dialogs;
};
