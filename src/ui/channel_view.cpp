#include "ui/channel_view.h"

#include "devices/channel.h"
#include "ui/capture_pane.h"
#include "ui/channel_group.h"
#include "ui/channel_view_actions.h"
#include "ui/display_layout.h"
#include "ui/plot_view.h"
#include "ui/plot_window.h"
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
    }
    m_actions = new ChannelViewActions(channel, this);
    connect(m_actions->plotHereAction(), &QAction::toggled, this, &ChannelView::setPlotShown);
    connect(m_actions->plotWindowAction(), &QAction::triggered, this, &ChannelView::showPlotWindow);
    pane()->setContextActions(m_actions->paneEntries());
    CapturePane *receive = pane();
    receive->setTimeChoice(channel.paneTimes());
    connect(&channel, &Channel::paneTimesChanged, receive,
            [receive, &channel] { receive->setTimeChoice(channel.paneTimes()); });
}

ChannelView::~ChannelView()
{
    delete m_plotWindow.data();
}

CapturePane *ChannelView::pane() const
{
    return m_group->pane();
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

#include "moc_channel_view.cpp"
