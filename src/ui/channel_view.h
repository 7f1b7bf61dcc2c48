#pragma once

#include <QList>
#include <QPointer>
#include <QSize>
#include <QWidget>

class CapturePane;
class Channel;
class ChannelGroup;
class ChannelViewActions;
class PlotView;
class PlotWindow;
class QAction;

// One channel on the main window: the channel's group of controls with its
// receive pane, the channel's own actions and menus (ChannelViewActions:
// the main window's menus list their parts while the view is there), the
// pane's context menu (the channel's Send Buttons..., Plot in This View,
// Show Time and Link), the pane's line times as the
// channel chooses them, and the channel's plot: in a window of its own
// (View > Comm Port N > Plot) and in the view (Plot in This View). The
// window makes one per channel of the session, in a loop, at each load.
//
// Placement::OnForm: the controls stand on `host` (the two-channel form) at
// their designed places, and the view itself stays out of sight; it only
// holds them; the plot in the view stands below the receive pane, in room
// the form adds to the group (so the form at its design size is unchanged
// while no plot is shown). Placement::OwnArea: the controls stand on the view, which a
// Qt layout places and sizes; its design size is its minimum, the receive
// pane takes whatever room it has beyond that, and the plot in the view
// stands below the group.
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
    // Closes the channel's plot window unless a later view took it over.
    ~ChannelView() override;

    Channel &channel() const { return m_channel; }
    ChannelGroup &group() const { return *m_group; }
    ChannelViewActions &actions() const { return *m_actions; }
    CapturePane *pane() const;
    // The controls in their focus order, for the window's Tab chain: the
    // pane, then the receive and transmit controls, then the port's.
    QList<QWidget *> focusOrder() const;
    // Placement::OnForm: lays the group out as ChannelGroup::layOut() does,
    // then gives the plot in the view its part of the pane's room.
    void layOutOnForm(int extraWidth, int extraHeight, int shiftDown);
    // Placement::OnForm: the height the form adds to the group for the
    // plot in the view while it is shown (0 while not).
    int formPlotRoom() const;

    // The channel's plot in the view; showing it turns the channel's
    // plotting on.
    void setPlotShown(bool shown);
    PlotView *plot() const;
    // The channel's plot window, made when first asked for; showing it
    // turns the channel's plotting on.
    PlotWindow *showPlotWindow();
    PlotWindow *plotWindow() const;

    // What a view hands the next view of its channel when the window
    // rebuilds its views: the plot window, and the plot shown in the view
    // (kept hidden on the main window meanwhile), each with what it shows.
    struct Handover
    {
        QPointer<PlotWindow> window;
        QPointer<PlotView> plot;
    };
    Handover handOver();
    void takeOver(const Handover &kept);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override { return minimumSizeHint(); }

signals:
    // The plot in the view was shown or hidden: the form lays out again.
    void plotShownChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layOutParts();
    // Where the plot in the view stands: the view, or the form's frame.
    QWidget *plotParent();
    void placePlot();

    Channel &m_channel;
    ChannelGroup *m_group = nullptr;
    ChannelViewActions *m_actions = nullptr;
    QSize m_designSize;
    Placement m_placement;
    QPointer<PlotView> m_plot; // made when first shown
    QPointer<PlotWindow> m_plotWindow;
    bool m_plotShown = false;
};
