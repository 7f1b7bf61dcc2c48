#pragma once

class BenchTable;

// Receiving from a serial port on another machine: ser2net on 127.0.0.1
// serves a pseudo-terminal over RFC 2217, beside the same bytes from a raw
// 127.0.0.1 TCP peer; rate, and this program's CPU per MB of each.
void networkBench(BenchTable &table, bool quick);
