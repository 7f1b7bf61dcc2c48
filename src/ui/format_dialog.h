#pragma once

#include "ui/tab_order.h"

#include <QWidget>

#include <array>
#include <vector>

class CaptureSession;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Setup > Format: each channel's quiet time-out and whether new data is added
// to the pane or replaces it. Loads from the channels when created;
// Apply stores every value and closes, Cancel and the close box store
// nothing. Each opening is a new instance (it deletes itself on close).
//
// The option pairs carry the object name of their pair ("optAddTo1") and
// their place in it as the property "index" (0 "Add On", 1 "Clear First").
class FormatDialog : public QWidget
{
    Q_OBJECT

public:
    explicit FormatDialog(CaptureSession &session, QWidget *parent = nullptr);

    // One channel's frame and its controls (named with the channel's number:
    // fraComm1, optAddTo1, txtTimeOut1, lblTimeOut1).
    struct ChannelFrame
    {
        QGroupBox *frame = nullptr;
        std::array<QRadioButton *, 2> addTo{};
        QLineEdit *timeOut = nullptr;
        QLabel *timeOutLabel = nullptr;
    };

protected:
    bool focusNextPrevChild(bool next) override;

private:
    void load();
    void cmdApplyClick();
    void cmdCancelClick();
    int frameChannel(const ChannelFrame &frame) const;

    CaptureSession &m_session;
    DesignedTabOrder m_tabOrder;
    std::vector<ChannelFrame> m_frames; // channel 1's first

    QPushButton *cmdApply = nullptr;
    QPushButton *cmdCancel = nullptr;
};
