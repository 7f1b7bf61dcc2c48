#pragma once

class BenchTable;

// The whole receive path's cost: a flood of text lines into a shown window,
// from a pseudo-terminal and from a 127.0.0.1 peer, shown as ASCII and as
// Hex; the window thread's processor time per MB received.
void receiveCpuBench(BenchTable &table, bool quick);
