#pragma once

#include "ui/form.h"

#include <Qt>

// Where one channel group of the main window stands. The two groups are
// laid out alike, with slightly different coordinates, a few irregular
// names, and channel 1's TCP fields.
struct ChannelDesign
{
    int number;
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
    bool offersTcp = false;
    // Labels in the port frame; the fields lie on the window, over the frame.
    Place lblIP, lblSocket, txtHost, txtPort;
};

extern const ChannelDesign channel1Design;
extern const ChannelDesign channel2Design;

// The main window's client area.
inline constexpr int displayWidthTwips = 9525;
inline constexpr int displayHeightTwips = 7725;
