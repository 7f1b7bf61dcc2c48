#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <thread>

class QObject;

// Writes items on a thread of its own, so a slow or stuck disk never holds up
// the thread that queues them. What writing an item means is the user's: a
// `write` step, and a `close` step run once, last. This class owns the rest,
// the same for every user:
//
// - The queue is bounded in bytes (items being written still count). An item
//   that would pass the limit is refused and leaves nothing queued.
// - The first failure is kept; everything queued or queued later is dropped
//   and the thread writes nothing more. It still runs `close` when it ends.
// - The thread blocks SIGPIPE (a pipe whose reader went fails the write with
//   EPIPE instead of ending the program) and runs at batch priority (waking
//   it never takes the processor from the window's thread).
// - Results reach the owner only through the event queue of `context`
//   (QMetaObject::invokeMethod with Qt::QueuedConnection), so they run on the
//   context's thread. None is posted once the writer has gone, and those
//   already posted go with the context: an owner that is (or owns) the
//   context hears nothing after it has gone. No signal is ever emitted from
//   the writer's thread.
// - When the writer goes, the owner never waits for the disk beyond the write
//   under way: without finish(), what waits is dropped, the write under way
//   ends first (its bytes may be the owner's), and `close` runs on the thread,
//   left to end on its own. After finish(), the owner does not wait at all:
//   the thread writes what waits and closes on its own, so both steps must
//   then hold only what they own (shared or copied), never the owner.
class BackgroundWriter
{
public:
    struct Item
    {
        QByteArray bytes;   // may wrap the owner's memory (fromRawData), see above
        qint64 offset = -1; // the user's to read; -1 when it has no use for one
    };

    // Run on the writer's thread. Each returns why it failed, or nothing.
    struct Steps
    {
        std::function<QString(const Item &item)> write;
        // Last, once: after finish(), or when the writer goes. `failedBefore`
        // says whether a write failed (a reason from then on is not kept).
        std::function<QString(bool failedBefore)> close;
    };

    // Run on the thread of `context`, queued through its event queue.
    struct Results
    {
        QObject *context = nullptr;                        // none: the owner asks (itemsDone, wait)
        std::function<void(const QString &reason)> failed; // the first failure
        std::function<void()> ended;                       // the thread has run `close` and ends
    };

    static constexpr qint64 unlimited = std::numeric_limits<qint64>::max();

    // Start the thread at once.
    explicit BackgroundWriter(Steps steps);
    BackgroundWriter(Steps steps, Results results);
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter &) = delete;
    BackgroundWriter &operator=(const BackgroundWriter &) = delete;

    void setQueueLimit(qint64 bytes);
    qint64 queueLimit() const;
    // How long the thread lets items gather once woken, for fewer, larger
    // writes and fewer wake-ups to pay for; none by default. Not while
    // finishing.
    void setGatherTime(std::chrono::milliseconds time);

    // Queues `item`; false when it would pass the limit (nothing is queued
    // then). After a failure or finish() it is dropped, and that is no refusal.
    bool queue(Item item);

    // How many queued items are written, in queue order; after a failure,
    // no more are and `error` says why.
    qsizetype itemsDone(QString *error) const;
    // Waits until `count` items are written or one failed, or at most
    // `timeoutMs` (-1: no limit). True unless the time ran out.
    bool waitForItems(qsizetype count, int timeoutMs = -1) const;

    // Takes no more items; the thread writes what waits, runs `close` and
    // ends. Returns at once.
    void finish();
    // Blocks until the thread has run `close`.
    void wait() const;
    // Waits at most `ms` for that; false when the thread is still busy (a
    // disk that does not answer).
    bool waitFor(int ms) const;

private:
    struct Shared;
    static void run(const std::shared_ptr<Shared> &shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};
