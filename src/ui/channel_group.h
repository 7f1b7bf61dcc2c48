#pragma once

#include "devices/channel_choices.h"
#include "devices/port_numbering.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>

class CapturePane;
class Channel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;
class TransmitEdit;
struct ChannelDesign;

// One channel group of the main window, "Comm Port 1" or "Comm Port 2":
// builds the group's controls from its design table and binds them to the
// group's Channel. The controls only report what the operator does; the
// Channel keeps the state and does the work, and the group shows what
// becomes of it (On or Off, messages). Made at each load of the main window,
// destroyed at its unload.
class ChannelGroup : public QObject
{
    Q_OBJECT

public:
    ChannelGroup(QWidget *window, const ChannelDesign &design, Channel &channel);

    Channel &channel() const { return m_channel; }

    // Enabled only while the channel is on, always handled in this order.
    // (The receive pane stays enabled: it only looks inactive while off.)
    QList<QWidget *> workingControls() const;
    // The network fields (IP and Socket), in the order they are shown and
    // hidden; empty for a channel that does not offer the network.
    QList<QWidget *> tcpFields() const;

    // Lays the group out for a window larger than designed: the group is
    // `extraWidth` wider and `extraHeight` taller, and its top `shiftDown`
    // lower. The receive pane takes the extra room; what stands right of it
    // or below it moves with its edges. (0, 0, 0) is the design.
    void layOut(int extraWidth, int extraHeight, int shiftDown);

    // The start-up state: working controls disabled, network fields hidden, the
    // port list filled (the network entries, `ports`' numbered entries and
    // names, then the numbers without a device up to 99), its shown text kept.
    void showLoaded(const PortNumbering::PortList &ports);
    // The list again after a device came or went. An entry chosen keeps its
    // device: "3 - ttyUSB0" becomes "2 - ttyUSB0" when ttyUSB0 is now port 2.
    // Any other text, or one whose device has gone, stays as it is.
    void refreshPortList(const PortNumbering::PortList &ports);

    // Switches the channel off and shows it off.
    void switchOff();
    // Switches on as the operator's click does: a failure is reported.
    void switchOnAsClicked();

    // The receive pane, for the window's print command and context menu.
    CapturePane *pane() const { return m_widgets.txtRecv; }

    // The group's controls, by their names on the form. The window lays
    // them out and orders their focus, and tests drive them as the operator
    // does; other classes talk to the group or to its Channel.
    struct Widgets
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
        QGroupBox *fraTransmit = nullptr;
        QRadioButton *optLive = nullptr;
        QRadioButton *optCR = nullptr;
        QPushButton *cmdRepeat = nullptr;
        QPushButton *cmdClear = nullptr;
        QCheckBox *chkHex = nullptr;
        TransmitEdit *txtSend = nullptr;
        // Only for a channel that offers the network; channel 1's are named
        // lblIP, lblSocket, txtHost, txtPort, the others' carry their number.
        QLabel *lblIP = nullptr;
        QLabel *lblSocket = nullptr;
        QLineEdit *txtHost = nullptr;
        QLineEdit *txtPort = nullptr;
    };
    const Widgets &widgets() const { return m_widgets; }

private:
    void build(QWidget *window, const ChannelDesign &design);
    void rememberDesign();
    void bindOptionSwitches();
    // The format options show the channel's format; in the dump view,
    // which has no option, none is checked, and the pane is as wide as a
    // dump row.
    void showFormat();
    void bindCommands();
    void bindSwitch();
    void fillPortList(const PortNumbering::PortList &ports);
    // The port list and the TCP fields write into the channel's choices and
    // show what it holds.
    void bindChoices();
    void writeShownChoices();
    void showChoices();
    // The format, display and transmit options and the Hex box show the
    // channel's modes, whoever changed them (a setup, the Receive View menu).
    void showModes();
    void setWorkingControlsEnabled(bool enabled);
    void showFailure(const QString &text, const QString &detail);
    void showTransmitRefused(qint64 count);
    void showTcpFieldsForChoice();
    bool tcpChosen() const;

    Widgets m_widgets;
    PortNumbering::PortList m_ports; // what the port list shows
    Channel &m_channel;
    // Each control's designed place (in its parent), for layOut().
    QList<std::pair<QPointer<QWidget>, QRect>> m_design;
};
