#pragma once

#include <QList>
#include <QSize>
#include <QWidget>

class CapturePane;
class Channel;
class ChannelGroup;
class PlotView;
class QAction;

// One channel on the main window: the channel's group of controls with its
// receive pane, the pane's own context menu (the actions the window hands
// it: the channel's Send Buttons entry and its parts of the View and Link
// menus) and the pane's line times as the channel chooses them. The window
// makes one per channel of the session, in a loop, at each load.
//
// Placement::OnForm: the controls stand on `host` (the two-channel form) at
// their designed places, and the view itself stays out of sight; it only
// holds them. Placement::OwnArea: the controls stand on the view, which a Qt
// layout places and sizes; its design size is its minimum, and the receive
// pane takes whatever room it has beyond that, and the pane's context menu
// offers Plot in This View: the channel's plot below its group.
class ChannelView : public QWidget
{
    Q_OBJECT

public:
    enum class Placement
    {
        OnForm,
        OwnArea
    };

    ChannelView(Channel &channel, Placement placement, QWidget *host);

    Channel &channel() const { return m_channel; }
    ChannelGroup &group() const { return *m_group; }
    CapturePane *pane() const;
    // The entries the pane's context menu offers besides its own.
    void setContextActions(const QList<QAction *> &actions);
    // The controls in their focus order, for the window's Tab chain: the
    // pane, then the receive and transmit controls, then the port's.
    QList<QWidget *> focusOrder() const;
    // The channel's plot below the group (Placement::OwnArea only); showing
    // it turns the channel's plotting on.
    void setPlotShown(bool shown);
    PlotView *plot() const { return m_plotShown ? m_plot : nullptr; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override { return minimumSizeHint(); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layOutParts();

    Channel &m_channel;
    ChannelGroup *m_group = nullptr;
    QSize m_designSize;
    Placement m_placement;
    QAction *m_plotHere = nullptr; // OwnArea only
    PlotView *m_plot = nullptr;    // made when first shown
    bool m_plotShown = false;
};
