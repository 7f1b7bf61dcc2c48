#pragma once

#include "ui/tab_order.h"

#include <QWidget>

#include <vector>

class CaptureSession;
class ChannelGroup;

// The main window's client area: a group per channel, laid out as designed
// and bound to the session's channels, with the designed focus order. Built
// afresh at each load of the main window and destroyed at its unload.
class DisplayControls : public QWidget
{
    Q_OBJECT

public:
    DisplayControls(CaptureSession &session, QWidget *parent = nullptr);

    // The group of channel `number`, which must be on the channel list.
    ChannelGroup &group(int number) const { return *m_groups.at(size_t(number - 1)); }
    QSize sizeHint() const override { return minimumSize(); }

protected:
    bool focusNextPrevChild(bool next) override;
    // Larger than designed, the two groups share the extra height and each
    // pane takes its group's extra room. The design size is the minimum.
    void resizeEvent(QResizeEvent *event) override;

private:
    void setTabOrder();

    DesignedTabOrder m_tabOrder;
    std::vector<ChannelGroup *> m_groups; // by channel number - 1
};
