#pragma once

class BenchTable;

// A raw recording of 1 GB (100 MB with --quick) replayed as fast as
// possible into a channel's pane: bytes per second through the receive path.
void replayBench(BenchTable &table, bool quick);

// A script waiting in expect() on channel 1 while a 127.0.0.1 peer streams
// 10 MB/s into it: the processor time the script adds, in percent of a core.
void scriptBench(BenchTable &table, bool quick);
