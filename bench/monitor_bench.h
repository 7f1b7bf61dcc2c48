#pragma once

class BenchTable;

// The monitor view's cost: appending two channels' batches to the monitor
// against appending the same batches to a channel's pane (thread CPU time,
// medians of alternated runs), and the resident memory the monitor takes
// per received byte it holds, below the spill threshold and past it.
void monitorBench(BenchTable &table, bool quick);
