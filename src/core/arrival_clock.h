#pragma once

#include <QtGlobal>

// When bytes arrived: a steady clock for waiting (immune to clock changes)
// and the wall clock for the times shown, logged and given to scripts.
struct ArrivalTime
{
    qint64 steadyMs = 0; // milliseconds of the steady clock, from any start
    qint64 wallMs = 0;   // milliseconds since the epoch
};

// The one clock that times what a channel receives. The receive route reads
// it once per batch, where the batch enters the channel, and hands that
// reading on with the bytes: the pane's line times, a log's entries and a
// script's match times are then the same for one batch, because none of
// them reads a clock for it. Lines and entries of the program's own (local
// echo, sent bytes, notes) read it when they are made.
//
// Safe to read from any thread.
namespace ArrivalClock {

ArrivalTime read();
// The steady part alone: when a waiting piece of a log is due.
qint64 steadyMs();
// The wall part alone.
qint64 wallMs();

// Where the wall part comes from: milliseconds since the epoch. A test puts
// a clock of its own here to tell the readings apart; nullptr gives the
// system's clock back.
using WallSource = qint64 (*)();
void setWallSource(WallSource source);

} // namespace ArrivalClock
