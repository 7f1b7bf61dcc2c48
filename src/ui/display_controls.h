#pragma once

#include "ui/tab_order.h"

#include <QWidget>

class CaptureSession;
class ChannelGroup;

// The main window's client area: both channel groups, laid out as designed
// and bound to the session's channels, with the designed focus order. Built
// afresh at each load of the main window and destroyed at its unload.
class DisplayControls : public QWidget
{
    Q_OBJECT

public:
    DisplayControls(CaptureSession &session, QWidget *parent = nullptr);

    ChannelGroup &group(int number) const { return number == 1 ? *m_group1 : *m_group2; }
    QSize sizeHint() const override { return minimumSize(); }

protected:
    bool focusNextPrevChild(bool next) override;
    // Larger than designed, the two groups share the extra height and each
    // pane takes its group's extra room. The design size is the minimum.
    void resizeEvent(QResizeEvent *event) override;

private:
    void setTabOrder();

    DesignedTabOrder m_tabOrder;
    ChannelGroup *m_group1 = nullptr;
    ChannelGroup *m_group2 = nullptr;
};
