#include "core/pane/pane_search_task.h"

#include "core/pane/pane_text.h"

#include <QMetaObject>

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The search must never take the processor from the window's thread: it
// runs as a batch thread, niced, so the window preempts it whenever it wakes.
void yieldToTheWindow()
{
    const sched_param batch{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);
    setpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)), 10);
}

} // namespace

PaneSearchTask::PaneSearchTask(QObject *parent)
    : QObject(parent)
{}

PaneSearchTask::~PaneSearchTask()
{
    stopThread();
}

void PaneSearchTask::start(const PaneText &pane, const PaneSearch &search, bool forward,
                           qsizetype from)
{
    stopThread();
    m_snapshot = {};
    m_search = search;
    m_control.stop = false;
    m_control.done = 0;
    // A clear or reload of the pane stops the thread before it frees the
    // text; the snapshot is kept (revoked) until the next start.
    m_snapshot = pane.snapshot([this] {
        const bool wasRunning = m_running;
        stopThread();
        if (wasRunning)
            QMetaObject::invokeMethod(this, &PaneSearchTask::dropped, Qt::QueuedConnection);
    });
    m_running = true;
    const quint64 run = ++m_run;
    m_thread = std::thread([this, run, forward, from] {
        yieldToTheWindow();
        const PaneSearch::Match match = forward ? m_search->next(m_snapshot, from, &m_control)
                                                : m_search->previous(m_snapshot, from, &m_control);
        if (m_control.stop)
            return;
        QMetaObject::invokeMethod(
            this, [this, run, match] { takeResult(run, match); }, Qt::QueuedConnection);
    });
}

void PaneSearchTask::cancel()
{
    stopThread();
    m_snapshot = {};
}

int PaneSearchTask::percentDone() const
{
    const qsizetype size = m_snapshot.size();
    if (!m_running || size == 0)
        return 0;
    return int(std::min<qsizetype>(m_control.done.load(std::memory_order_relaxed), size) * 100 /
               size);
}

void PaneSearchTask::stopThread()
{
    ++m_run;
    m_running = false;
    m_control.stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void PaneSearchTask::takeResult(quint64 run, const PaneSearch::Match &match)
{
    if (run != m_run)
        return;
    stopThread();
    m_snapshot = {}; // the moved blocks' memory can go
    emit finished(match);
}

#include "moc_pane_search_task.cpp"
