#pragma once

#include "ui/form.h"

#include <Qt>

// Where one channel group of the main window stands. The groups are laid
// out alike, with slightly different coordinates, a few irregular names,
// and the network fields (IP and Socket) of a channel that offers them.
struct ChannelDesign
{
    const char *onOffName;    // optComm / optCom1
    const char *transmitName; // frsTrans1 / fraTransmit2
    const char *afterCrName;  // optCR1 / optCr2
    const char *shownPort;
    Qt::Alignment portLabelAlignment;
    Place fraPort, lblPort, cmbPort, optOn, optOff;
    Place fraFormat, optASCII, optDec, optHex;
    Place fraDisplay, optRT, optTO, optChar;
    Place cmdClearR, txtRecv;
    Place fraTransmit, optLive, optCR, cmdRepeat, cmdClear, chkHex, txtSend;
    // The TCP fields, for a channel that offers TCP. Labels in the port
    // frame; the fields lie on the window, over the frame.
    Place lblIP, lblSocket, txtHost, txtPort;
};

// The design of channel 1 and channel 2 on the two-channel form.
const ChannelDesign &channelDesign(int number);

// The design of a channel's own view in the resizable layout: channel 1's
// and 2's as on the form, the others shaped as channel 2's with names that
// carry their number; every one moved so that its frame stands at (0, 0).
ChannelDesign viewDesign(int number);

// The main window's client area.
inline constexpr int displayWidthTwips = 9525;
inline constexpr int displayHeightTwips = 7725;
