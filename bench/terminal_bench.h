#pragma once

class BenchTable;

// The Terminal receive format's cost: a flood of coloured console lines
// from a pseudo-terminal into a shown window, as Terminal and as ASCII (the
// window thread's processor time per MB), and the memory a shown Terminal
// pane takes per character of history it holds.
void terminalBench(BenchTable &table, bool quick);
