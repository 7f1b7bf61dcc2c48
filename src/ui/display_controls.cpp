#include "ui/display_controls.h"

#include "core/channel_list.h"
#include "devices/capture_session.h"
#include "ui/capture_pane.h"
#include "ui/channel_group.h"
#include "ui/display_layout.h"
#include "ui/pane_font.h"
#include "ui/transmit_edit.h"
#include "ui/window_font.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

DisplayControls::DisplayControls(CaptureSession &session, QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(twipsSize(displayWidthTwips, displayHeightTwips));
    resize(minimumSize());
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
    for (Channel *channel : session.channels())
        m_groups.push_back(new ChannelGroup(this, channelDesign(channel->number()), *channel));
    setTabOrder();
}

void DisplayControls::setTabOrder()
{
    // The design interleaves the two channels' controls.
    static_assert(channelCount == 2);
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
    const QSize extra = size() - minimumSize();
    const int width = qMax(0, extra.width());
    const int height = qMax(0, extra.height());
    const int upper = height / 2;
    static_assert(channelCount == 2); // the upper and the lower group
    group(1).layOut(width, upper, 0);
    group(2).layOut(width, height - upper, upper);
}

bool DisplayControls::focusNextPrevChild(bool next)
{
    return m_tabOrder.moveFocus(next) || QWidget::focusNextPrevChild(next);
}

#include "moc_display_controls.cpp"
