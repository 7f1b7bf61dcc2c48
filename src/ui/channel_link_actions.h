#pragma once

#include "devices/link_options.h"

#include <QCoreApplication>
#include <QObject>

#include <array>

class Channel;
class LinkSpeedMenu;
class QAction;
class QMenu;
class QWidget;

// The link options of one channel: Reconnect Automatically, DTR, RTS, Send
// Break, Flow Control and Speed (ui/link_speed_menu.h), bound to the
// channel's link options. Made by the channel's view; the Link menu's
// "Comm Port N" part and the pane's Link submenu share the actions. What the
// link can't do is disabled, its tooltip saying why (a pseudo-terminal has
// no control lines, TCP has no flow control).
class ChannelLinkActions : public QObject
{
    Q_DECLARE_TR_FUNCTIONS(ChannelLinkActions)

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

    // The menus are children of `view`, which owns this object too and
    // carries the messages of a refused choice.
    ChannelLinkActions(Channel &channel, QWidget *view);

    const Actions &actions() const { return m_actions; }
    // The pane's Link submenu.
    QMenu *paneMenu() const { return m_paneMenu; }
    // Adds the entries to `menu` (the Link menu's part).
    void addTo(QMenu *menu) const;

private:
    void build();
    void bind();
    // Shows the channel's options and what its link can do now.
    void showState();
    void setOption(bool LinkOptions::*option, bool on);
    void chooseFlow(FlowControl flow);

    Channel &m_channel;
    QWidget *m_view;
    Actions m_actions;
    QMenu *m_paneMenu = nullptr;
};
