#pragma once

class BenchTable;

// Find in a 50 MB receive pane: how long one Next or Previous step takes
// when it has to read the whole pane, in memory and spilled to its file.
void findBench(BenchTable &table, bool quick);
