#include "ui/channel_group_accessibility.h"

#include "ui/capture_pane.h"
#include "ui/transmit_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

void describeWidget(QWidget *widget, const QString &name, const QString &description)
{
    if (!widget)
        return;
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

} // namespace

void ChannelGroupAccessibility::describe(const ChannelGroup::Widgets &w, int channel)
{
    const auto named = [channel](const QString &text) {
        return text.arg(channel);
    };
    describeWidget(w.fraPort, named(tr("Comm Port %1")), named(tr("The controls of channel %1")));
    describeWidget(w.cmbPort, named(tr("Comm Port %1 port")),
                   tr("The serial device or connection to open: choose one or type a device path"));
    describeWidget(w.optOn, named(tr("Comm Port %1 on")),
                   tr("Opens the port or connection and starts the capture"));
    describeWidget(w.optOff, named(tr("Comm Port %1 off")), tr("Closes the port or connection"));
    describeWidget(w.fraFormat, named(tr("Comm Port %1 format")),
                   tr("How the received bytes are shown"));
    describeWidget(w.optASCII, named(tr("Comm Port %1 format ASCII")),
                   tr("Received bytes shown as text"));
    describeWidget(w.optDec, named(tr("Comm Port %1 format Decimal")),
                   tr("Received bytes shown as decimal numbers"));
    describeWidget(w.optHex, named(tr("Comm Port %1 format Hex")),
                   tr("Received bytes shown as hexadecimal numbers"));
    describeWidget(w.fraDisplay, named(tr("Comm Port %1 display")),
                   tr("When received data is shown"));
    describeWidget(w.optRT, named(tr("Comm Port %1 display Real Time")),
                   tr("Shows the data as it arrives"));
    describeWidget(w.optTO, named(tr("Comm Port %1 display Time Out")),
                   tr("Shows the data once the line has been quiet for the time-out"));
    describeWidget(w.optChar, named(tr("Comm Port %1 display After CR")),
                   tr("Shows the data whenever a piece of it ends with a carriage return"));
    describeWidget(w.cmdClearR, named(tr("Clear Comm Port %1 receive pane")),
                   tr("Empties the receive pane"));
    describeWidget(w.txtRecv, named(tr("Comm Port %1 receive pane")),
                   named(tr("What Comm Port %1 has received, read-only")));
    describeWidget(w.fraTransmit, named(tr("Comm Port %1 transmit")), tr("How typed text is sent"));
    describeWidget(w.optLive, named(tr("Comm Port %1 transmit Real Time")),
                   tr("Sends each key as it is typed"));
    describeWidget(w.optCR, named(tr("Comm Port %1 transmit After CR")),
                   tr("Sends the typed text at each Enter"));
    describeWidget(w.cmdRepeat, named(tr("Repeat Comm Port %1 transmission")),
                   tr("Sends the typed text again"));
    describeWidget(w.cmdClear, named(tr("Clear Comm Port %1 transmit line")),
                   tr("Empties the transmit line: what is typed next is a new text to send"));
    describeWidget(w.chkHex, named(tr("Comm Port %1 transmit Hex")),
                   tr("The typed text is byte values such as 41 42 0d"));
    describeWidget(w.txtSend, named(tr("Comm Port %1 transmit line")),
                   named(tr("What is typed here is sent to Comm Port %1")));
    describeWidget(w.txtHost, named(tr("Comm Port %1 IP address")),
                   tr("The address to connect to over TCP"));
    describeWidget(w.txtPort, named(tr("Comm Port %1 socket")), tr("The TCP port number"));
}
