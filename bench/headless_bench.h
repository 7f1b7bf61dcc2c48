#pragma once

class BenchTable;

// A headless run (the real program, --headless) capturing a 127.0.0.1 peer's
// text at 1 MB/s with a raw and a log recording, for `seconds`: its resident
// memory and the spill files' disk use in its cache folder, sampled at each
// tenth of the run, and whether the raw recording holds every byte.
void headlessBench(BenchTable &table, int seconds);
