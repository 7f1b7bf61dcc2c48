#include "ui/port_entry_edit.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// QLineEdit keeps this many pixels free on either side of its text.
constexpr int kTextMargin = 2;

} // namespace

PortEntryEdit::PortEntryEdit(QWidget *parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &PortEntryEdit::showWholeInTip);
}

QRect PortEntryEdit::textArea() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &option, this)
        .adjusted(kTextMargin, 0, -kTextMargin, 0);
}

bool PortEntryEdit::fits() const
{
    return fontMetrics().horizontalAdvance(text()) <= textArea().width();
}

void PortEntryEdit::showWholeInTip()
{
    // Escaped in a paragraph of its own: the tooltip shows the text as typed.
    setToolTip(fits() ? QString() : QStringLiteral("<p>%1</p>").arg(text().toHtmlEscaped()));
}

void PortEntryEdit::paintEvent(QPaintEvent *event)
{
    if (hasFocus() || fits()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    const QRect area = textArea();
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
}

#include "moc_port_entry_edit.cpp"
