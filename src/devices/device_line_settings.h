#pragma once

#include "devices/line_settings.h"

#include <optional>

// What a terminal device's driver says it uses, read from the device itself
// rather than from what was asked: drivers round a speed to one they can
// make, and some refuse a framing without failing the call (a
// pseudo-terminal keeps 8 data bits without parity whatever is set). On
// Linux the speed comes from the termios2 fields, so a rate set through
// BOTHER (250000, 1000000) reads back as itself. Nothing when the device
// can't be asked (not a terminal, or another system).
std::optional<LineSettings> readDeviceLineSettings(int fd);

// "speed,parity,data,stop" as the settings string writes it: "250000,n,8,1".
QString lineSettingsText(const LineSettings &settings);
