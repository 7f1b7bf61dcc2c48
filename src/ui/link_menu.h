#pragma once

#include "devices/link_options.h"

#include <QObject>

#include <array>
#include <vector>

class CaptureSession;
class LinkSpeedMenu;
class QAction;
class QMenu;
class QWidget;

// The Link menu: a part per channel ("Comm Port 1", "Comm Port 2") with
// Reconnect Automatically, DTR, RTS, Send Break, Flow Control and Speed
// (ui/link_speed_menu.h), bound to
// the channel's link options. The same actions make up the Link submenu of
// the channel's receive pane. What a link can't do is disabled, its tooltip
// saying why (a pseudo-terminal has no control lines, TCP has no flow
// control). Below the channels' parts, Bridge... links two channels
// (ui/bridge_dialog.h, ChannelBridge). Lives as long as the main window; the
// options live in the channels, the bridge in the session.
class LinkMenu : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        QAction *reconnect = nullptr;
        QAction *dtr = nullptr;
        QAction *rts = nullptr;
        QAction *sendBreak = nullptr;
        QMenu *flowMenu = nullptr;
        std::array<QAction *, 3> flow{}; // by FlowControl
        LinkSpeedMenu *speed = nullptr;
    };

    LinkMenu(CaptureSession &session, QWidget *window);

    QMenu *menu() const { return m_menu; }
    // The channel's part again, for its receive pane's context menu.
    QMenu *paneMenu(int channel) const { return m_paneMenus.at(size_t(channel - 1)); }
    const Actions &actions(int channel) const { return m_actions.at(size_t(channel - 1)); }

private:
    void build(int channel);
    void bind(int channel);
    // Shows the channel's options and what its link can do now.
    void showState(int channel);
    void setOption(int channel, bool LinkOptions::*option, bool on);
    void chooseFlow(int channel, FlowControl flow);
    void chooseBridge();

    CaptureSession &m_session;
    QWidget *m_window;
    QMenu *m_menu;
    std::vector<QMenu *> m_paneMenus; // by channel number - 1
    std::vector<Actions> m_actions;
};
