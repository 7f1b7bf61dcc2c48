#pragma once

class BenchTable;

// Recording while a 127.0.0.1 peer streams Hex "Real Time" at 10 MB/s:
// throughput, whether the file holds every byte, and the longest UI stall
// with recording off, raw and as a log.
void recordingBench(BenchTable &table, bool quick);
