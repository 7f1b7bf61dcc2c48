#pragma once

#include <array>
#include <cstddef>

// The capture channels the program has, in the order the window shows them.
// Everything that exists once per channel (the session's Channel objects,
// the window's groups, menus and status lines, the setup file's sections,
// the recordings' sources) follows this list; a channel's place on the form
// is in ui/display_layout.
struct ChannelListEntry
{
    int number;     // "Comm Port N", the setup file's [ChannelN]
    bool offersTcp; // may use the network: TCP client, RFC 2217 or listening
};

inline constexpr std::array channelList{
    ChannelListEntry{1, true},
    ChannelListEntry{2, true},
};
inline constexpr int channelCount = int(channelList.size());

// The channels' numbers, in the list's order.
constexpr std::array<int, channelCount> channelNumbers()
{
    std::array<int, channelCount> numbers{};
    for (std::size_t i = 0; i < channelList.size(); ++i)
        numbers[i] = channelList[i].number;
    return numbers;
}
