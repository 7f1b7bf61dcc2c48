#pragma once

#include "core/channel_state.h"

class ChannelLink;
struct ChannelControls;

// Connects one channel group's operator commands: the format, display and
// transmit option switches, the transmit line, Repeat and both Clears.
void connectChannelCommands(ChannelControls &controls, ChannelModes &modes, ChannelLink &link);

// The option switches alone: each stores its keyword in its own variable and
// does nothing else.
void connectOptionSwitches(const ChannelControls &controls, ChannelModes &modes);
