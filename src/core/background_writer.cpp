#include "core/background_writer.h"

#include <QObject>

#include <condition_variable>
#include <csignal>
#include <deque>
#include <mutex>
#include <pthread.h>
#include <sched.h>

// Everything the thread uses, shared with it so that it can end on its own
// after the owner has gone.
struct BackgroundWriter::Shared
{
    Shared(Steps s, Results r)
        : steps(std::move(s))
        , results(std::move(r))
    {}

    // Both with `mutex` held.
    void post(std::function<void()> result) const
    {
        if (ownerGone || !results.context || !result)
            return;
        QMetaObject::invokeMethod(results.context, std::move(result), Qt::QueuedConnection);
    }
    void fail(const QString &reason)
    {
        if (!failure.isEmpty())
            return;
        failure = reason;
        dropQueue();
        if (results.failed)
            post([failed = results.failed, reason] { failed(reason); });
    }
    void dropQueue()
    {
        for (const Item &item : queue)
            queuedBytes -= item.bytes.size();
        queue.clear();
    }

    const Steps steps;
    const Results results;

    mutable std::mutex mutex;
    std::condition_variable work;             // wakes the thread
    mutable std::condition_variable progress; // wakes whoever waits for the thread
    std::deque<Item> queue;
    qint64 limit = unlimited;
    qint64 queuedBytes = 0; // queued or being written
    std::chrono::milliseconds gatherTime{0};
    qsizetype done = 0;
    QString failure;
    bool finishing = false;
    bool stopping = false; // the owner went without finish(): drop what waits
    bool busy = false;     // a write is under way
    bool ended = false;
    bool ownerGone = false; // nothing more is posted
};

BackgroundWriter::BackgroundWriter(Steps steps)
    : BackgroundWriter(std::move(steps), Results{})
{}

BackgroundWriter::BackgroundWriter(Steps steps, Results results)
    : m_shared(std::make_shared<Shared>(std::move(steps), std::move(results)))
{
    m_thread = std::thread([shared = m_shared] { run(shared); });
}

BackgroundWriter::~BackgroundWriter()
{
    bool ended = false;
    {
        std::unique_lock lock(m_shared->mutex);
        // Set before the context can go, so a result never reaches a
        // destroyed object.
        m_shared->ownerGone = true;
        if (!m_shared->finishing) {
            m_shared->stopping = true;
            m_shared->dropQueue();
            m_shared->work.notify_all();
            // The write under way may read the owner's memory, about to go.
            m_shared->progress.wait(lock, [this] { return !m_shared->busy; });
        }
        ended = m_shared->ended;
    }
    // A thread still closing (a large file's last close frees its disk
    // space; a stuck disk may never answer) ends on its own time.
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
}

void BackgroundWriter::setQueueLimit(qint64 bytes)
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->limit = bytes;
}

qint64 BackgroundWriter::queueLimit() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->limit;
}

void BackgroundWriter::setGatherTime(std::chrono::milliseconds time)
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->gatherTime = time;
}

bool BackgroundWriter::queue(Item item)
{
    bool wasEmpty = false;
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->finishing || !m_shared->failure.isEmpty())
            return true;
        if (item.bytes.size() > m_shared->limit - m_shared->queuedBytes)
            return false;
        m_shared->queuedBytes += item.bytes.size();
        wasEmpty = m_shared->queue.empty();
        m_shared->queue.push_back(std::move(item));
    }
    // A busy thread takes what waits before it sleeps again: wake it only
    // when it may be asleep, so queuing costs no system call as a rule.
    if (wasEmpty)
        m_shared->work.notify_one();
    return true;
}

qsizetype BackgroundWriter::itemsDone(QString *error) const
{
    std::lock_guard lock(m_shared->mutex);
    *error = m_shared->failure;
    return m_shared->done;
}

bool BackgroundWriter::waitForItems(qsizetype count, int timeoutMs) const
{
    std::unique_lock lock(m_shared->mutex);
    const auto done = [&] {
        return m_shared->done >= count || !m_shared->failure.isEmpty();
    };
    if (timeoutMs < 0) {
        m_shared->progress.wait(lock, done);
        return true;
    }
    return m_shared->progress.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
}

void BackgroundWriter::finish()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->finishing = true;
    }
    m_shared->work.notify_one();
}

void BackgroundWriter::wait() const
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->progress.wait(lock, [this] { return m_shared->ended; });
}

bool BackgroundWriter::waitFor(int ms) const
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->progress.wait_for(lock, std::chrono::milliseconds(ms),
                                       [this] { return m_shared->ended; });
}

void BackgroundWriter::run(const std::shared_ptr<Shared> &shared)
{
    Shared &s = *shared;
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    const sched_param batch{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);

    std::unique_lock lock(s.mutex);
    for (;;) {
        s.work.wait(lock, [&] { return s.stopping || s.finishing || !s.queue.empty(); });
        if (s.stopping || s.queue.empty())
            break; // the owner went, or finished with nothing left to write
        if (s.gatherTime.count() > 0 && !s.finishing) {
            const std::chrono::milliseconds gather = s.gatherTime;
            lock.unlock();
            std::this_thread::sleep_for(gather);
            lock.lock();
        }
        // What has gathered; what comes meanwhile waits for the next round.
        for (auto n = s.queue.size(); n > 0 && !s.queue.empty(); --n) {
            Item item = std::move(s.queue.front());
            s.queue.pop_front();
            s.busy = true;
            lock.unlock();
            const QString reason = s.steps.write(item);
            const qsizetype size = item.bytes.size();
            item = {};
            lock.lock();
            s.busy = false;
            s.queuedBytes -= size;
            if (reason.isEmpty())
                ++s.done;
            else
                s.fail(reason);
            s.progress.notify_all();
        }
    }

    const bool failedBefore = !s.failure.isEmpty();
    lock.unlock();
    const QString reason = s.steps.close ? s.steps.close(failedBefore) : QString();
    lock.lock();
    if (!failedBefore && !reason.isEmpty())
        s.fail(reason);
    s.ended = true;
    s.post(s.results.ended);
    s.progress.notify_all();
}
