#pragma once

#include "devices/replayer.h"

#include <optional>

class QWidget;

// File > Replay...'s question: which recording, on which channel, into the
// pane or out of the channel, and at what pace (a raw recording's rate in
// bytes/s, a log's recorded pace, or as fast as possible; the format a
// log's bytes were written in, and whose lines a log plays: every channel's
// or one channel's). Nothing when the operator cancels.
struct ReplayChoice
{
    int channel = 1;
    ReplayRequest request;
};
std::optional<ReplayChoice> askReplay(QWidget *parent, const ReplayChoice &last,
                                      const QList<int> &channelNumbers);
