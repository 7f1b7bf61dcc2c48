#pragma once

#include "core/pane/pane_search.h"
#include "core/pane/pane_snapshot.h"

#include <QObject>

#include <optional>
#include <thread>

class PaneText;

// One find at a time in one pane, on a thread of its own, so the window goes
// on while a pane of gigabytes is read. The search reads a snapshot of the
// text the pane held when it started: text arriving meanwhile is not
// searched, and a match found is still where it was when it comes back.
//
// A new start replaces the search under way. cancel() returns once the
// thread has stopped, which it does between two windows of the search (about
// a megabyte). The result comes back through `finished`, on this object's
// thread; a search cancelled or replaced reports nothing, and one whose pane
// was cleared, reloaded or destroyed meanwhile reports `dropped` instead
// (the pane stops it before it frees the text).
class PaneSearchTask : public QObject
{
    Q_OBJECT

public:
    explicit PaneSearchTask(QObject *parent = nullptr);
    ~PaneSearchTask() override;

    // Searches forward from `from` (PaneSearch::next) or back from before it
    // (PaneSearch::previous).
    void start(const PaneText &pane, const PaneSearch &search, bool forward, qsizetype from);
    void cancel();

    bool isRunning() const { return m_running; }
    // How much of the text the search under way has read, 0 to 100.
    int percentDone() const;

signals:
    void finished(const PaneSearch::Match &match);
    void dropped();

private:
    // Stops and joins the thread; a result it already sent is ignored.
    void stopThread();
    void takeResult(quint64 run, const PaneSearch::Match &match);

    std::thread m_thread;
    PaneSearch::Control m_control;
    // Read by the thread while it runs; changed only when it has stopped.
    PaneSnapshot m_snapshot;
    std::optional<PaneSearch> m_search;
    quint64 m_run = 0;
    bool m_running = false;
};
