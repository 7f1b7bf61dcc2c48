#pragma once

#include <QList>

// The capture channels a run has: numbered from 1 ("Comm Port N", the setup
// file's [ChannelN]), in the order the window shows them. How many is chosen
// once, when the run starts (a setup file's highest [ChannelN] section), and
// stays for the whole run. Everything that exists once per channel (the
// session's Channel objects, the window's views, menus and status lines, the
// recordings' sources) is sized from that count, never from a constant.
inline constexpr int defaultChannelCount = 2;
inline constexpr int maxChannelCount = 8;

// The numbers of a run of `count` channels: 1 to `count`.
inline QList<int> channelNumbers(int count)
{
    QList<int> numbers;
    for (int n = 1; n <= count; ++n)
        numbers << n;
    return numbers;
}
