#pragma once

#include <QCoreApplication>
#include <QObject>

#include <array>

class Channel;
class QAction;
class QMenu;
class QWidget;

// The line-time choices of one channel: whether its receive pane shows each
// line's arrival time beside it (No Times, Time of Day, Since First Line,
// Since Previous Line) and whether copies and saved panes carry the times.
// Made by the channel's view; the View menu's "Comm Port N" part and the
// pane's Show Time submenu share the actions. The choice lives in the
// channel.
class ChannelTimeActions : public QObject
{
    Q_DECLARE_TR_FUNCTIONS(ChannelTimeActions)

public:
    struct Actions
    {
        std::array<QAction *, 4> forms{}; // by LineTimeForm
        QAction *inCopies = nullptr;
    };

    // The menus are children of `menuParent`, which owns this object too.
    ChannelTimeActions(Channel &channel, QWidget *menuParent);

    const Actions &actions() const { return m_actions; }
    // The pane's Show Time submenu.
    QMenu *paneMenu() const { return m_paneMenu; }
    // Adds the entries to `menu` (the View menu's part).
    void addTo(QMenu *menu) const;

private:
    void build();
    void bind();
    void showState();

    Channel &m_channel;
    Actions m_actions;
    QMenu *m_paneMenu = nullptr;
};
