// The channel's plot in a ChannelView: in the view, and in a window of its
// own; and how both pass to the next view of the channel.
#include "devices/channel.h"
#include "ui/capture_pane.h"
#include "ui/channel_group.h"
#include "ui/channel_view.h"
#include "ui/channel_view_actions.h"
#include "ui/plot_view.h"
#include "ui/plot_window.h"

#include <QAction>
#include <QGroupBox>

#include <utility>

namespace {
// The plot's share of the view's height (of the receive pane's room on the
// form), and the least it is given.
constexpr int kViewPlotShare = 3; // a third
constexpr int kViewPlotLeast = 160;
} // namespace

void ChannelView::setPlotShown(bool shown)
{
    if (shown == m_plotShown)
        return;
    m_plotShown = shown;
    m_actions->plotHereAction()->setChecked(shown);
    if (shown && !m_plot) {
        m_plot = new PlotView(m_channel.plot(), plotParent());
        m_plot->setObjectName(QStringLiteral("plotView%1").arg(m_channel.number()));
        if (m_placement == Placement::OnForm)
            m_plot->setMinimumSize(0, 0); // the pane's width and the room the form gives
    }
    if (shown)
        m_channel.plot().setOn(true);
    if (m_plot)
        m_plot->setVisible(shown);
    placePlot();
}

PlotView *ChannelView::plot() const
{
    return m_plotShown ? m_plot.data() : nullptr;
}

PlotWindow *ChannelView::plotWindow() const
{
    return m_plotWindow.data();
}

QWidget *ChannelView::plotParent()
{
    if (m_placement == Placement::OnForm)
        return m_group->widgets().fraPort;
    return this;
}

void ChannelView::placePlot()
{
    if (m_placement == Placement::OwnArea) {
        updateGeometry();
        layOutParts();
    }
    emit plotShownChanged();
}

QSize ChannelView::minimumSizeHint() const
{
    return m_designSize + QSize(0, m_plotShown ? kViewPlotLeast : 0);
}

void ChannelView::layOutParts()
{
    const int plotHeight = m_plotShown ? qMax(kViewPlotLeast, height() / kViewPlotShare) : 0;
    const QSize extra = size() - QSize(0, plotHeight) - m_designSize;
    m_group->layOut(qMax(0, extra.width()), qMax(0, extra.height()), 0);
    if (m_plotShown)
        m_plot->setGeometry(0, height() - plotHeight, width(), plotHeight);
}

int ChannelView::formPlotRoom() const
{
    return m_placement == Placement::OnForm && m_plotShown ? kViewPlotLeast : 0;
}

void ChannelView::layOutOnForm(int extraWidth, int extraHeight, int shiftDown)
{
    m_group->layOut(extraWidth, extraHeight, shiftDown);
    if (!m_plotShown)
        return;
    // The pane keeps the upper part of its room, the plot has the rest.
    const QRect room = pane()->geometry();
    const int plotHeight = qMax(formPlotRoom(), room.height() / kViewPlotShare);
    pane()->setGeometry(room.adjusted(0, 0, 0, -plotHeight));
    m_plot->setGeometry(room.left(), room.bottom() + 1 - plotHeight, room.width(), plotHeight);
}

PlotWindow *ChannelView::showPlotWindow()
{
    if (!m_plotWindow)
        m_plotWindow = new PlotWindow(m_channel, window());
    m_plotWindow->show();
    m_plotWindow->raise();
    m_plotWindow->activateWindow();
    return m_plotWindow;
}

ChannelView::Handover ChannelView::handOver()
{
    Handover kept{std::exchange(m_plotWindow, nullptr), m_plotShown ? m_plot : nullptr};
    if (kept.plot) {
        // Until the next view takes it: hidden on the window, which outlives the views.
        m_plot = nullptr;
        setPlotShown(false);
        kept.plot->hide();
        kept.plot->setParent(window());
    }
    return kept;
}

void ChannelView::takeOver(const Handover &kept)
{
    if (kept.window) {
        delete m_plotWindow.data();
        m_plotWindow = kept.window;
    }
    if (kept.plot) {
        setPlotShown(false);
        delete m_plot.data();
        m_plot = kept.plot;
        m_plot->setParent(plotParent());
        setPlotShown(true);
    }
}
