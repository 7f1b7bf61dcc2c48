#pragma once

class BenchTable;

// Wrapping at blanks: what a resize costs a 50 MB Hex pane (one line) and a
// pane of 30 M short lines, the longest stall while lines are wrapped again
// in steps, and repaints inside one huge line.
void wrapBench(BenchTable &table, bool quick);
