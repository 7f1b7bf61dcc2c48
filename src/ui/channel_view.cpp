#include "ui/channel_view.h"

#include "devices/channel.h"
#include "ui/capture_pane.h"
#include "ui/channel_group.h"
#include "ui/display_layout.h"
#include "ui/plot_view.h"
#include "ui/transmit_edit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>

ChannelView::ChannelView(Channel &channel, Placement placement, QWidget *host)
    : QWidget(host)
    , m_channel(channel)
    , m_placement(placement)
{
    const int n = channel.number();
    setObjectName(QStringLiteral("viewChannel%1").arg(n));
    if (placement == Placement::OnForm) {
        m_group = new ChannelGroup(host, channelDesign(n), channel);
        hide(); // a holder only: the controls are the form's
    } else {
        const ChannelDesign design = viewDesign(n);
        m_group = new ChannelGroup(this, design, channel);
        m_designSize = design.fraPort.pixels().size();
        m_plotHere = new QAction(tr("Plot in This &View"), this);
        m_plotHere->setObjectName(QStringLiteral("actPlotInView%1").arg(n));
        m_plotHere->setCheckable(true);
        connect(m_plotHere, &QAction::toggled, this, &ChannelView::setPlotShown);
        setContextActions({});
    }
    CapturePane *receive = pane();
    receive->setTimeChoice(channel.paneTimes());
    connect(&channel, &Channel::paneTimesChanged, receive,
            [receive, &channel] { receive->setTimeChoice(channel.paneTimes()); });
}

CapturePane *ChannelView::pane() const
{
    return m_group->pane();
}

void ChannelView::setContextActions(const QList<QAction *> &actions)
{
    QList<QAction *> all = actions;
    if (m_plotHere)
        all << m_plotHere;
    pane()->setContextActions(all);
}

namespace {
// The plot's share of the view's height, and the least it is given.
constexpr int kViewPlotShare = 3; // a third
constexpr int kViewPlotLeast = 160;
} // namespace

void ChannelView::setPlotShown(bool shown)
{
    if (!m_plotHere || shown == m_plotShown)
        return;
    m_plotShown = shown;
    m_plotHere->setChecked(shown);
    if (shown && !m_plot) {
        m_plot = new PlotView(m_channel.plot(), this);
        m_plot->setObjectName(QStringLiteral("plotView%1").arg(m_channel.number()));
    }
    if (shown)
        m_channel.plot().setOn(true);
    m_plot->setVisible(shown);
    updateGeometry();
    layOutParts();
}

QSize ChannelView::minimumSizeHint() const
{
    return m_designSize + QSize(0, m_plotShown ? kViewPlotLeast : 0);
}

QList<QWidget *> ChannelView::focusOrder() const
{
    const ChannelGroup::Widgets &w = m_group->widgets();
    const QList<QWidget *> all = {w.txtRecv,  w.optASCII, w.optDec,    w.optHex, w.optRT,
                                  w.optTO,    w.optChar,  w.optLive,   w.optCR,  w.cmdRepeat,
                                  w.cmdClear, w.txtSend,  w.cmdClearR, w.chkHex, w.optOn,
                                  w.optOff,   w.cmbPort,  w.txtHost,   w.txtPort};
    QList<QWidget *> order;
    for (QWidget *control : all)
        if (control)
            order << control;
    return order;
}

void ChannelView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_placement == Placement::OwnArea)
        layOutParts();
}

void ChannelView::layOutParts()
{
    const int plotHeight = m_plotShown ? qMax(kViewPlotLeast, height() / kViewPlotShare) : 0;
    const QSize extra = size() - QSize(0, plotHeight) - m_designSize;
    m_group->layOut(qMax(0, extra.width()), qMax(0, extra.height()), 0);
    if (m_plotShown)
        m_plot->setGeometry(0, height() - plotHeight, width(), plotHeight);
}

#include "moc_channel_view.cpp"
