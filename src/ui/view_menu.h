#pragma once

#include "ui/channel_time_actions.h"

#include <QObject>
#include <QPointer>

#include <vector>

class ChannelView;
class QMenu;
class QWidget;

// The View menu: Monitor, then a part per channel ("Comm Port 1", "Comm
// Port 2") that chooses whether its receive pane shows each line's arrival
// time beside it and whether copies and saved panes carry the times, and
// opens the channel's plot. Each part is its channel's view's own
// (ChannelViewActions): the menu lists it while the view is there. Lives as
// long as the main window; the choices live in the channels.
class ViewMenu : public QObject
{
    Q_OBJECT

public:
    using Actions = ChannelTimeActions::Actions;

    explicit ViewMenu(QWidget *window);

    QMenu *menu() const { return m_menu; }
    // Lists the view's part below those listed before.
    void list(ChannelView &view);
    // The line-time actions of the part listed for the channel.
    const Actions &actions(int channel) const;

private:
    QMenu *m_menu;
    std::vector<QPointer<ChannelView>> m_views; // by channel number - 1
};
