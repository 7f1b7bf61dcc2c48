#pragma once

#include "core/pane/line_time_text.h"

#include <QObject>

#include <array>
#include <vector>

class CaptureSession;
class QAction;
class QMenu;
class QWidget;

// The View menu: a part per channel ("Comm Port 1", "Comm Port 2") that
// chooses whether its receive pane shows each line's arrival time beside it
// (No Times, Time of Day, Since First Line, Since Previous Line) and whether
// copies and saved panes carry the times. The same actions make up the Show
// Time submenu of the channel's receive pane. Lives as long as the main
// window; the choices live in the channels.
class ViewMenu : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        std::array<QAction *, 4> forms{}; // by LineTimeForm
        QAction *inCopies = nullptr;
    };

    ViewMenu(CaptureSession &session, QWidget *window);

    QMenu *menu() const { return m_menu; }
    // The channel's part again, for its receive pane's context menu.
    QMenu *paneMenu(int channel) const { return m_paneMenus.at(size_t(channel - 1)); }
    const Actions &actions(int channel) const { return m_actions.at(size_t(channel - 1)); }

private:
    void build(int channel);
    void bind(int channel);
    void showState(int channel);

    CaptureSession &m_session;
    QWidget *m_window;
    QMenu *m_menu;
    std::vector<QMenu *> m_paneMenus;
    std::vector<Actions> m_actions;
};
