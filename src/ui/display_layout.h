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

// The design of each channel of the channel list (core/channel_list.h).
const ChannelDesign &channelDesign(int number);

// The main window's client area.
inline constexpr int displayWidthTwips = 9525;
inline constexpr int displayHeightTwips = 7725;
