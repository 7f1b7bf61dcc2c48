#pragma once

#include "ui/channel_link_actions.h"

#include <QObject>
#include <QPointer>

#include <vector>

class CaptureSession;
class ChannelView;
class QAction;
class QMenu;
class QWidget;

// The Link menu: a part per channel ("Comm Port 1", "Comm Port 2") with
// Reconnect Automatically, DTR, RTS, Send Break, Flow Control and Speed,
// bound to the channel's link options (ChannelLinkActions). Each part is
// its channel's view's own (ChannelViewActions): the menu lists it while
// the view is there. Below the channels' parts, Bridge... links two
// channels (ui/bridge_dialog.h, ChannelBridge). Lives as long as the main
// window; the options live in the channels, the bridge in the session.
class LinkMenu : public QObject
{
    Q_OBJECT

public:
    using Actions = ChannelLinkActions::Actions;

    LinkMenu(CaptureSession &session, QWidget *window);

    QMenu *menu() const { return m_menu; }
    // Lists the view's part below those listed before, above Bridge...
    void list(ChannelView &view);
    // The actions of the part listed for the channel.
    const Actions &actions(int channel) const;

private:
    void chooseBridge();

    CaptureSession &m_session;
    QWidget *m_window;
    QMenu *m_menu;
    QAction *m_beforeBridge;                    // the separator
    std::vector<QPointer<ChannelView>> m_views; // by channel number - 1
};
