#pragma once

class BenchTable;

// A file sent by ZMODEM over a pseudo-terminal pair: sz runs under
// FileTransfer on the channel's side, rz plays the device on the master.
void zmodemBench(BenchTable &table, bool quick);
