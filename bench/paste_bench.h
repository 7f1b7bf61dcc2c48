#pragma once

class BenchTable;

// A big multi-line paste in "After CR" transmit mode with hex entry: each
// Enter resends everything typed since Clear. Measures how long the window
// is held (the paste handler, and the longest stall of the event loop while
// the paste is handled in slices and sent), the peak memory and what goes out
// on a pseudo-terminal; once as it is, once while a Hex log records the
// channel's sent bytes.
void pasteResend(BenchTable &table, bool quick);
