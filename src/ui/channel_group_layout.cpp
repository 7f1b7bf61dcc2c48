#include "ui/channel_group.h"

#include "ui/capture_pane.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

// The group's layout beyond its design size: the receive pane takes the
// extra room, and what stands right of it or below it moves with its edges.

void ChannelGroup::rememberDesign()
{
    m_design.append({m_widgets.fraPort, m_widgets.fraPort->geometry()});
    for (QWidget *control : m_widgets.fraPort->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        m_design.append({control, control->geometry()});
    for (QWidget *field :
         {static_cast<QWidget *>(m_widgets.txtHost), static_cast<QWidget *>(m_widgets.txtPort)}) {
        if (field)
            m_design.append({field, field->geometry()});
    }
}

void ChannelGroup::layOut(int extraWidth, int extraHeight, int shiftDown)
{
    // The pane's designed edges, in the frame's coordinates.
    QRect pane;
    QPoint frameAt;
    for (const auto &[control, place] : std::as_const(m_design)) {
        if (control == m_widgets.txtRecv)
            pane = place;
        else if (control == m_widgets.fraPort)
            frameAt = place.topLeft();
    }
    // The network fields stand or move as one row, as their label IP does.
    const QList<QWidget *> networkRow = tcpFields();
    int networkLeft = 0;
    for (const auto &[control, place] : std::as_const(m_design)) {
        if (control && control == m_widgets.lblIP)
            networkLeft = place.left();
    }
    for (const auto &[control, place] : std::as_const(m_design)) {
        if (!control)
            continue;
        QRect at = place;
        if (control == m_widgets.fraPort) {
            at.adjust(0, shiftDown, extraWidth, shiftDown + extraHeight);
        } else if (control == m_widgets.txtRecv) {
            at.adjust(0, 0, extraWidth, extraHeight);
        } else {
            // The TCP fields lie on the window: compare them in the frame's terms.
            const bool onWindow = control->parentWidget() != m_widgets.fraPort;
            const QRect inFrame = onWindow ? place.translated(-frameAt) : place;
            const int left = networkRow.contains(control) ? networkLeft : inFrame.left();
            at.translate(left >= pane.right() ? extraWidth : 0,
                         (inFrame.top() >= pane.bottom() ? extraHeight : 0) +
                             (onWindow ? shiftDown : 0));
        }
        control->setGeometry(at);
    }
}
