#pragma once

#include <QList>
#include <QObject>

class Channel;
class ChannelCommandActions;
class ChannelLinkActions;
class ChannelTimeActions;
class QAction;
class QMenu;
class QWidget;

// The actions and menus of one channel, made by its view (ChannelView) and
// owned by it, as each channel has its own controls: the line times and
// Plot ("View > Comm Port N"), the link options ("Link > Comm Port N"), the
// receive view ("Setup > Receive View > Comm Port N"), Plot in This
// View, and its entries of the command menus (ChannelCommandActions). The main window's menus list
// these parts while the view is there; the pane's context menu offers the same actions. Each action
// has the same name whichever view made it ("mnuViewPlot3", "mnuLinkDtr3"), so a view made at a
// reload of the window offers what the one before it did.
class ChannelViewActions : public QObject
{
public:
    ChannelViewActions(Channel &channel, QWidget *view);

    ChannelTimeActions &times() const { return *m_times; }
    ChannelLinkActions &link() const { return *m_link; }
    ChannelCommandActions &commands() const { return *m_commands; }
    // The parts the main window's menus list.
    QMenu *viewPart() const { return m_viewPart; }
    QMenu *linkPart() const { return m_linkPart; }
    QMenu *receiveViewPart() const { return m_receiveViewPart; }
    // View > Comm Port N > Plot: the channel's plot window.
    QAction *plotWindowAction() const { return m_plotWindow; }
    // Plot in This View (checkable): the channel's plot in its view.
    QAction *plotHereAction() const { return m_plotHere; }
    // The entries of the channel's pane's context menu: Send Buttons...,
    // Plot in This View, Show Time and Link.
    QList<QAction *> paneEntries() const;

private:
    ChannelTimeActions *m_times;
    ChannelLinkActions *m_link;
    ChannelCommandActions *m_commands;
    QMenu *m_viewPart;
    QMenu *m_linkPart;
    QMenu *m_receiveViewPart;
    QAction *m_plotWindow;
    QAction *m_plotHere;
};
