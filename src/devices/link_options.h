#pragma once

// How a channel's link behaves beyond its line settings. Plain values, so a
// setup file can store them and give them back; the defaults change nothing
// of what a port or connection does when left alone (the system raises DTR
// and RTS when it opens a serial device).
enum class FlowControl
{
    None,
    RtsCts,
    XonXoff
};

struct LinkOptions
{
    // A working port or connection that fails is waited for and opened again
    // instead of switching the channel off.
    bool reconnect = false;
    // The output lines of a serial device, set at each open and when changed.
    bool dtr = true;
    bool rts = true; // left to the device while RTS/CTS flow control drives it
    FlowControl flow = FlowControl::None;

    bool operator==(const LinkOptions &) const = default;
};

// The input lines of a serial device, as last read.
struct InputLines
{
    bool cts = false;
    bool dsr = false;
    bool dcd = false;
    bool ri = false;

    bool operator==(const InputLines &) const = default;
};
