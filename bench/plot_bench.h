#pragma once

class BenchTable;

// Plotting: points appended per second and memory per point in a channel's
// plot store, a repaint of a plot of 10 M points per series zoomed out and
// at 1 s, and the receive path's processor time per MB with plotting on
// and off (alternated runs, medians).
void plotBench(BenchTable &table, bool quick);
