#pragma once

// Ways the receive path saves processor time under a flood. Both are
// on; the benchmark turns them off to measure, in one run, what they save
// (a machine's load moves figures from one run to the next).
struct ReceiveTuning
{
    // A serial port's read also takes what else the device holds now, up to
    // one batch, instead of a trip through the event loop per 4 KB.
    bool gatherSerialReads = true;
    // A pane's block after its first is made whole at once, instead of a
    // page fault per 4 KB as the bytes arrive.
    bool makeBlocksWhole = true;
    // The lines a batch scrolls off the Terminal format's screen go to the
    // pane in one append, instead of one append (and its notices) per line.
    bool gatherTerminalLines = true;
};

// The program's one set, read on the window's thread.
ReceiveTuning &receiveTuning();
