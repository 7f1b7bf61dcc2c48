#pragma once

class BenchTable;

// A bridge from a pseudo-terminal (channel 1) to a client of channel 2
// listening on 127.0.0.1: how fast it carries bytes, and how long a batch
// takes from its arrival at channel 1 to the client at 1 MB/s, beside an
// idle event loop's longest stall in the same run.
void bridgeBench(BenchTable &table, bool quick);
