#pragma once

class BenchTable;

// Find in a 50 MB receive pane: how long one Next or Previous step takes
// when it has to read the whole pane, in memory and spilled to its file.
void findBench(BenchTable &table, bool quick);

struct ShownPane;

// Find in a shown pane of gigabytes, most of it in its spill file, through
// the pane's find box while data goes on arriving: the longest stall of the
// window while the box looks for a text that is not there, and how long
// until the box shows a match near the start when Next starts at the end.
void findInSpilledPane(BenchTable &table, ShownPane &pane);
