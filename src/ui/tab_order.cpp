#include "ui/tab_order.h"

#include <QApplication>
#include <QRadioButton>
#include <QWidget>

void DesignedTabOrder::setOrder(const QList<QWidget *> &order)
{
    m_order.clear();
    for (QWidget *control : order)
        m_order << control;
    // Qt's chain in the same order, for whatever walks it.
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order.at(i), order.at(i + 1));
}

bool DesignedTabOrder::canTakeFocus(QWidget *control) const
{
    if (!control || !control->isEnabled() || !control->isVisible())
        return false;
    // An option group takes the focus at its selected button only.
    const auto *option = qobject_cast<QRadioButton *>(control);
    return !option || !option->autoExclusive() || option->isChecked();
}

qsizetype DesignedTabOrder::indexOfFocus() const
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        for (qsizetype i = 0; i < m_order.size(); ++i) {
            if (m_order.at(i) == w)
                return i;
        }
    }
    return -1;
}

bool DesignedTabOrder::moveFocus(bool next) const
{
    const qsizetype from = indexOfFocus();
    if (from < 0)
        return false;
    const qsizetype count = m_order.size();
    for (qsizetype step = 1; step <= count; ++step) {
        QWidget *candidate =
            m_order.at(((next ? from + step : from - step) % count + count) % count);
        if (canTakeFocus(candidate)) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return true; // nothing else can take it: the focus stays
}
