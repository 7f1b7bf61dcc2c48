#pragma once

class BenchTable;

// The window's longest stall while a 127.0.0.1 peer fills a shown pane far
// past memory at full speed (the pane spilling to its file).
void spillStallBench(BenchTable &table, bool quick);
