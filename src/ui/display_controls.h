#pragma once

#include <QWidget>

class CapturePane;
class PaneText;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TransmitEdit;

// One channel group of the main window.
struct ChannelControls
{
    QGroupBox *fraPort = nullptr;
    QLabel *lblPort = nullptr;
    QComboBox *cmbPort = nullptr;
    QRadioButton *optOn = nullptr;  // optComm / optCom1, index 0
    QRadioButton *optOff = nullptr; // index 1
    QGroupBox *fraFormat = nullptr;
    QRadioButton *optASCII = nullptr;
    QRadioButton *optDec = nullptr;
    QRadioButton *optHex = nullptr;
    QGroupBox *fraDisplay = nullptr;
    QRadioButton *optRT = nullptr;
    QRadioButton *optTO = nullptr;
    QRadioButton *optChar = nullptr;
    QPushButton *cmdClearR = nullptr;
    CapturePane *txtRecv = nullptr;
    PaneText *recvText = nullptr; // the text txtRecv shows
    QGroupBox *fraTransmit = nullptr;
    QRadioButton *optLive = nullptr;
    QRadioButton *optCR = nullptr;
    QPushButton *cmdRepeat = nullptr;
    QPushButton *cmdClear = nullptr;
    QCheckBox *chkHex = nullptr;
    TransmitEdit *txtSend = nullptr;

    // Enabled only while the channel is on, always handled in this order.
    QList<QWidget *> workingControls() const;
};

// The main window's controls, laid out as designed. Built afresh at each
// load of the main window and destroyed at its unload; it has no behaviour
// of its own.
class DisplayControls : public QWidget
{
    Q_OBJECT

public:
    explicit DisplayControls(QWidget *parent = nullptr);

    ChannelControls channel1;
    ChannelControls channel2;
    // Channel 1's TCP fields, placed on the window over the channel's frame.
    QLabel *lblIP = nullptr;
    QLabel *lblSocket = nullptr;
    QLineEdit *txtHost = nullptr;
    QLineEdit *txtPort = nullptr;

    // In the order they are shown and hidden.
    QList<QWidget *> tcpFields() const;

private:
    void setTabOrder();
};
