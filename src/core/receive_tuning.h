#pragma once

// Ways the receive path saves processor time under a flood. All are on; the
// benchmark turns the newest off to measure, in one run, what they save (a
// machine's load moves figures from one run to the next).
struct ReceiveTuning
{
    // A serial port's read also takes what else the device holds now, up to
    // one batch, instead of a trip through the event loop per 4 KB.
    bool gatherSerialReads = true;
    // A pane's block after its first is made whole at once, instead of a
    // page fault per 4 KB as the bytes arrive.
    bool makeBlocksWhole = true;
    // After a read that found the device busy (a full read), the next read
    // waits a bounded moment (ReadGathering) so a flood arrives in fewer,
    // larger batches: fewer wake-ups, and per-batch work done less often.
    bool gatherBusyReads = true;
    // Those whole blocks are made ahead of need on a helper thread
    // (BlockPreparer), never on the window's thread while it fills a pane.
    bool prepareBlocksAhead = true;

    // The benchmark's "before": the two newest savings above off.
    static ReceiveTuning baseline()
    {
        ReceiveTuning before;
        before.gatherBusyReads = false;
        before.prepareBlocksAhead = false;
        return before;
    }
};

// The program's one set, read on the window's thread.
ReceiveTuning &receiveTuning();
