#pragma once

class BenchTable;

// A raw recording of 1 GB (100 MB with --quick) replayed as fast as
// possible into a channel's pane: bytes per second through the receive path.
void replayBench(BenchTable &table, bool quick);

// A timestamped log of 250 MB (25 MB with --quick) replayed at its recorded
// pace into a shown pane, five times for 2 s: how long the window is held
// and how much memory the replay takes.
void logReplayBench(BenchTable &table, bool quick);

// A script waiting in expect() on channel 1 while a 127.0.0.1 peer streams
// 10 MB/s into it: the processor time the script adds, in percent of a core.
void scriptBench(BenchTable &table, bool quick);
