#pragma once

#include "ui/tab_order.h"

#include <QWidget>

#include <vector>

class CaptureSession;
class ChannelGroup;
class ChannelView;

// The main window's client area: a ChannelView per channel of the session,
// made in one loop, bound to the session's channels. Built afresh at each
// load of the main window and destroyed at its unload. Two layouts place
// the views:
// - the form (a session of two channels): the two groups at their designed
//   places with the designed focus order; larger than designed, they share
//   the extra room (see resizeEvent()), and the design size is the minimum;
// - the resizable layout (any other count): the views in a grid of two
//   columns, in a scroll area, each sized by Qt's layouts, never below its
//   design size; Tab goes through the views in turn.
class DisplayControls : public QWidget
{
    Q_OBJECT

public:
    DisplayControls(CaptureSession &session, QWidget *parent = nullptr);

    // The view and the group of channel `number`, 1 to the session's count.
    ChannelView &view(int number) const { return *m_views.at(size_t(number - 1)); }
    ChannelGroup &group(int number) const;
    bool isForm() const { return m_form; }
    // The channel whose view holds the focus; 0 when none does.
    int channelInFocus() const;
    QSize sizeHint() const override;

protected:
    bool focusNextPrevChild(bool next) override;
    // The form, larger than designed: the two groups share the extra height
    // and each pane takes its group's extra room.
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildForm(CaptureSession &session);
    void buildViews(CaptureSession &session);
    void setFormTabOrder();
    // The form's groups in the room they have, and the room for the plots
    // shown in their views (ChannelView::formPlotRoom()): the window grows
    // for a plot shown, and shrinks by as much when it goes.
    void layOutForm();
    void fitFormPlots();

    DesignedTabOrder m_tabOrder;
    std::vector<ChannelView *> m_views; // by channel number - 1
    QWidget *m_viewArea = nullptr;      // the resizable layout's grid
    bool m_form = false;
    int m_grownForPlots = 0; // the height the window grew for plots on the form
};
