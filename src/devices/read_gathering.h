#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QSocketNotifier;

// Lets a flood gather between wake-ups. After a batch that shows the device
// busy (at least one full read of a terminal's line discipline, 4 KB) yet
// read out (below the reader's batch bound), the device's read notifier
// rests for a moment, so the next wake-up takes what came meanwhile as one
// larger batch: fewer trips through the event loop, and the receive path's
// per-batch work (line index, layout, repaint check) done less often.
//
// A batch below 4 KB (a trickle, a lone byte) leaves the notifier on, so
// such bytes are read as they come; after a flood a byte waits at most the
// rest, kRestMs. A batch at the bound leaves it on too: more already waits.
// The rest is on the reader's own thread, a timer, never a sleep.
class ReadGathering : public QObject
{
public:
    static constexpr int kRestMs = 1;
    static constexpr qsizetype kBusyBatch = 4096;

    explicit ReadGathering(QObject *parent = nullptr);
    // After each batch read from the device behind `notifier`. `mayResume`
    // says, when the rest ends, whether the notifier may go back on (a
    // reader paused for its own reasons keeps it off).
    void afterBatch(QSocketNotifier *notifier, qsizetype batchSize, qsizetype batchBound,
                    const std::function<bool()> &mayResume = {});
    // Whether a rest is under way (the notifier is off for it).
    bool resting() const { return m_rest.isActive(); }
    // Ends a rest without turning the notifier on (the device closes).
    void stop();

private:
    void resume();

    QTimer m_rest;
    QPointer<QSocketNotifier> m_notifier;
    std::function<bool()> m_mayResume;
};
