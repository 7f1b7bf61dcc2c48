#pragma once

#include <QList>
#include <QPointer>

class QWidget;

// A window's designed focus order, followed by Tab and Shift+Tab on every
// pass: each control that can take the focus now (enabled and shown) in
// turn, and an option group once, through its selected button (the arrow
// keys move within the group). Qt's own chain would enter a group at its
// first button and lose its way once controls are disabled.
class DesignedTabOrder
{
public:
    void setOrder(const QList<QWidget *> &order);

    // Moves the focus to the next (or previous) control from the one that
    // holds it; false when the focus is outside the order.
    bool moveFocus(bool next) const;

private:
    bool canTakeFocus(QWidget *control) const;
    qsizetype indexOfFocus() const;

    QList<QPointer<QWidget>> m_order;
};
