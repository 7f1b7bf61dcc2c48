#pragma once

#include "ui/tab_order.h"

#include <QWidget>

#include <array>

class CaptureSession;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Setup > Format: each channel's quiet time-out and whether new data is added
// to the pane or replaces it. Loads from the channels when created;
// Apply stores all four values and closes, Cancel and the close box store
// nothing. Each opening is a new instance (it deletes itself on close).
//
// The option pairs carry the object name of their pair ("optAddTo1") and
// their place in it as the property "index" (0 "Add On", 1 "Clear First").
class FormatDialog : public QWidget
{
    Q_OBJECT

public:
    explicit FormatDialog(CaptureSession &session, QWidget *parent = nullptr);

protected:
    bool focusNextPrevChild(bool next) override;

private:
    void load();
    void cmdApplyClick();
    void cmdCancelClick();

    CaptureSession &m_session;
    DesignedTabOrder m_tabOrder;

    QGroupBox *fraComm1 = nullptr;
    std::array<QRadioButton *, 2> optAddTo1{};
    QLineEdit *txtTimeOut1 = nullptr;
    QLabel *lblTimeOut1 = nullptr;
    QGroupBox *fraComm2 = nullptr;
    std::array<QRadioButton *, 2> optAddTo2{};
    QLineEdit *txtTimeOut2 = nullptr;
    QLabel *lblTimeOut2 = nullptr;
    QPushButton *cmdApply = nullptr;
    QPushButton *cmdCancel = nullptr;
};
