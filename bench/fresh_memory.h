#pragma once

#include "bench_table.h"

#include <QtGlobal>

// A machine row: how long this machine takes to make new memory present,
// in 2 MB blocks as a pane's text takes it. Three times: the first, again
// at once after giving it back, and again a few seconds after giving it
// back. A virtual machine that hands freed memory back to its host pays
// for the host's faults when it takes memory again, so the third can cost
// many times the second; every row that makes a new pane pays it.
void freshMemoryRow(BenchTable &table, qsizetype bytes);

// Makes `bytes` of new memory present and gives it back at once, so that
// what the process takes next is memory this machine has at hand.
void warmNewMemory(qsizetype bytes);
