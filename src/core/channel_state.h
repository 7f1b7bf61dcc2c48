#pragma once

#include "core/line_break_rule.h"
#include "core/transmit_record.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1String>

// One channel's values. They fall into two lifetimes, so they live in two
// records; the Channel object (devices/channel.h) owns both and changes
// them through its setters. What is received and not yet shown is no value
// of the channel's: its receive path (core/channel_receiver.h) keeps it.

// How received bytes are shown: each batch at once, after a quiet time-out,
// or when the collected text ends with a carriage return.
enum class DisplayMode
{
    RealTime,
    TimeOut,
    AfterCr
};
// How each received byte is written in the pane. Dump is offered from a
// menu rather than by the format option buttons (see core/pane/dump_rows.h), and
// so is Terminal: the bytes interpreted as a terminal would (see
// core/pane/terminal_screen.h).
enum class ReceiveFormat
{
    Ascii,
    Decimal,
    Hex,
    Dump,
    Terminal
};
// When typed text goes out: at each key, or at Enter.
enum class TransmitMode
{
    RealTime,
    AfterCr
};
// What a flush does with the text already in the pane.
enum class AccumulateMode
{
    AddOn,
    ClearFirst
};

// What Enter puts in the transmit record and on the wire.
enum class LineEnding
{
    Cr,
    Lf,
    CrLf,
    None
};

// The modes' own words, as the option buttons and setup files name them.
QLatin1String keywordOf(DisplayMode mode);
QLatin1String keywordOf(ReceiveFormat format);
QLatin1String keywordOf(TransmitMode mode);
QLatin1String keywordOf(AccumulateMode mode);
QLatin1String keywordOf(LineEnding ending);

// The bytes Enter stands for.
QByteArrayView bytesOf(LineEnding ending);

// ChannelModes follows the main window: each load of the window sets the
// modes back to their defaults, but the transmit records survive it.
struct ChannelModes
{
    DisplayMode display = DisplayMode::RealTime;
    ReceiveFormat format = ReceiveFormat::Ascii;
    TransmitMode transmit = TransmitMode::RealTime;
    bool hexEntry = false;  // the transmit group's Hex box
    TransmitRecord strSend; // every character typed since the last Clear
    HexRecord strSendHex;   // every byte made from typed hex pairs since the last Clear

    // What each load of the main window sets; the records are left alone.
    void setLoadDefaults()
    {
        format = ReceiveFormat::Ascii;
        display = DisplayMode::RealTime;
        transmit = TransmitMode::RealTime;
        hexEntry = false;
    }
};

// ChannelModule lives for the whole run. Channel 1's serial port and its TCP
// connection feed the same record.
struct ChannelModule
{
    qint16 intTimeOut = 0; // quiet time in ms before a "Time Out" flush
    AccumulateMode addTo = AccumulateMode::AddOn;
    LineEnding lineEnding = LineEnding::Cr;
    // Which received bytes end a line in the pane (PaneText::setLineBreaks
    // applies it; Channel keeps the two together).
    LineBreaks lineBreaks = LineBreaks::Any;
    bool localEcho = false; // what is sent shows in the pane too, marked
    // A ZMODEM sender's request in what arrives offers to receive its file.
    bool zmodemAutoStart = false;
    // After the operator declines a request, the channel's requests ask
    // nothing for this long: a sender repeating its request can't keep the
    // question up.
    int zmodemQuietSeconds = 30;

    // Set once by the sign-on splash before the main window first shows.
    void setSignOnDefaults()
    {
        intTimeOut = 200;
        addTo = AccumulateMode::AddOn;
    }
};
