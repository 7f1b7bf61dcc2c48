#include "ui/display_controls.h"

#include "devices/capture_session.h"
#include "ui/capture_pane.h"
#include "ui/channel_group.h"
#include "ui/channel_view.h"
#include "ui/display_layout.h"
#include "ui/pane_font.h"
#include "ui/transmit_edit.h"
#include "ui/window_font.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

DisplayControls::DisplayControls(CaptureSession &session, QWidget *parent)
    : QWidget(parent)
    , m_form(session.channelCount() == 2)
{
    // The layout is designed for a small sans-serif face, and for frames
    // whose caption sits on the top border.
    setFont(windowFont());
    // A style sheet stops font propagation, so it names the font itself.
    setStyleSheet(
        QStringLiteral(
            "* { font-family: \"%1\"; font-size: %2pt; }"
            "CapturePane { font-family: \"%3\"; font-size: %4pt; }"
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
            " left: 6px; padding: 0 2px; }")
            .arg(windowFont().family())
            .arg(windowFont().pointSize())
            .arg(paneFont().family())
            .arg(paneFont().pointSize()));
    if (m_form)
        buildForm(session);
    else
        buildViews(session);
}

void DisplayControls::buildForm(CaptureSession &session)
{
    setMinimumSize(twipsSize(displayWidthTwips, displayHeightTwips));
    resize(minimumSize());
    for (Channel *channel : session.channels()) {
        auto *view = new ChannelView(*channel, ChannelView::Placement::OnForm, this);
        connect(view, &ChannelView::plotShownChanged, this, &DisplayControls::fitFormPlots);
        m_views.push_back(view);
    }
    setFormTabOrder();
}

void DisplayControls::fitFormPlots()
{
    const int plots = view(1).formPlotRoom() + view(2).formPlotRoom();
    const QSize least = twipsSize(displayWidthTwips, displayHeightTwips) + QSize(0, plots);
    const int more = least.height() - minimumHeight();
    const int shortBy = least.height() - height(); // before the minimum stretches it
    setMinimumSize(least);
    if (more > 0) {
        // The window grows (through its layout) as far as the form was short.
        m_grownForPlots += qMax(0, shortBy);
    } else if (more < 0) {
        // It gives back what it grew for the plot gone.
        const int back = qMin(m_grownForPlots, -more);
        m_grownForPlots -= back;
        if (QLayout *whole = window()->layout())
            whole->activate(); // the window's least size without the plot
        window()->resize(window()->width(), window()->height() - back);
    }
    layOutForm();
}

void DisplayControls::buildViews(CaptureSession &session)
{
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrViews"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_viewArea = new QWidget;
    auto *grid = new QGridLayout(m_viewArea);
    constexpr int columns = 2;
    QList<QWidget *> order;
    for (Channel *channel : session.channels()) {
        auto *view = new ChannelView(*channel, ChannelView::Placement::OwnArea, m_viewArea);
        const int at = channel->number() - 1;
        grid->addWidget(view, at / columns, at % columns);
        m_views.push_back(view);
        order << view->focusOrder();
    }
    for (int column = 0; column < columns; ++column)
        grid->setColumnStretch(column, 1);
    for (int row = 0; row < grid->rowCount(); ++row)
        grid->setRowStretch(row, 1);
    scroll->setWidget(m_viewArea);
    auto *whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(scroll);
    m_tabOrder.setOrder(order);
}

ChannelGroup &DisplayControls::group(int number) const
{
    return view(number).group();
}

int DisplayControls::channelInFocus() const
{
    // The window's focus child: also while another window is active.
    QWidget *focus = window()->focusWidget();
    for (const ChannelView *view : m_views) {
        const ChannelGroup &group = view->group();
        if (focus && (view->isAncestorOf(focus) || group.widgets().fraPort->isAncestorOf(focus) ||
                      group.tcpFields().contains(focus)))
            return view->channel().number();
    }
    return 0;
}

QSize DisplayControls::sizeHint() const
{
    if (m_form)
        return minimumSize();
    // Every view at its design size, as far as the screen allows, with room
    // for the scroll bars a smaller window shows.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return m_viewArea->sizeHint() + QSize(bar, bar);
}

void DisplayControls::setFormTabOrder()
{
    // The design interleaves the two channels' controls.
    const ChannelGroup::Widgets &a = group(1).widgets();
    const ChannelGroup::Widgets &b = group(2).widgets();
    // Designed focus order; frames and labels hold places but take no focus.
    const QList<QWidget *> order = {
        a.txtRecv,   b.txtRecv,  a.optASCII, a.optDec,    a.optHex,    a.optRT,    a.optTO,
        a.optChar,   a.txtSend,  a.optLive,  a.optCR,     a.cmdRepeat, a.cmdClear, b.optASCII,
        b.optDec,    b.optHex,   b.optRT,    b.optTO,     b.optChar,   b.optLive,  b.optCR,
        b.cmdRepeat, b.cmdClear, b.txtSend,  a.cmdClearR, b.cmdClearR, a.chkHex,   b.chkHex,
        a.optOn,     a.optOff,   b.optOn,    b.optOff,    a.cmbPort,   b.cmbPort,  a.txtHost,
        a.txtPort,   b.txtHost,  b.txtPort};
    m_tabOrder.setOrder(order);
}

void DisplayControls::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_form)
        layOutForm();
}

void DisplayControls::layOutForm()
{
    const QSize extra = size() - minimumSize();
    const int width = qMax(0, extra.width());
    const int height = qMax(0, extra.height());
    const int upper = height / 2;
    // The upper and the lower group, each with the room of its plot.
    const int upperPlot = view(1).formPlotRoom();
    view(1).layOutOnForm(width, upper + upperPlot, 0);
    view(2).layOutOnForm(width, height - upper + view(2).formPlotRoom(), upper + upperPlot);
}

bool DisplayControls::focusNextPrevChild(bool next)
{
    return m_tabOrder.moveFocus(next) || QWidget::focusNextPrevChild(next);
}

#include "moc_display_controls.cpp"
