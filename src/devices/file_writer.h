#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// Writes one file on a thread of its own, so a slow or stuck disk never
// holds up the window. Chunks queue in memory up to a limit; the thread
// hands them to the system within about 20 ms (a killed program loses
// nothing the system has), and finishing writes the rest, syncs the file to
// the disk and closes it.
//
// With whole chunks, a failed write cuts the file back to the end of the
// last chunk written in full, so a log never ends in half an entry.
class FileWriter : public QObject
{
    Q_OBJECT

public:
    enum class Existing
    {
        Replace,
        Append
    };
    static constexpr qint64 defaultQueueLimit = qint64(64) << 20;

    explicit FileWriter(const QString &path, QObject *parent = nullptr);
    ~FileWriter() override; // finishes the file and waits for it

    // Opens the file (made if missing) and starts the thread; false, with
    // errorString(), when it can't be opened.
    bool open(Existing existing, bool wholeChunks);
    QString errorString() const { return m_openError; }
    QString path() const { return m_path; }

    void setQueueLimit(qint64 bytes) { m_queueLimit = bytes; }
    qint64 queueLimit() const { return m_queueLimit; }
    // Queues `chunk`; false when the queue would pass its limit (nothing is
    // queued then). After a failure or finish() chunks are dropped.
    bool write(const QByteArray &chunk);
    // What the file holds: its size at opening plus what has been written.
    qint64 size() const { return m_startSize + m_written.load(); }

    // Writes what waits, syncs and closes the file, all on the thread, and
    // returns at once; finished() follows.
    void finish();
    // Blocks until the thread has ended (the file is closed by then).
    void wait();
    // Waits at most `ms` for the thread to end; false when it is still busy
    // (a disk that does not answer).
    bool waitFor(int ms);

signals:
    // Writing, syncing or closing failed; nothing more goes to the file.
    // Comes on the owner's thread.
    void failed(const QString &reason);
    // The thread has ended and the file is closed, after finish() or a
    // failure. Comes on the owner's thread.
    void finished();

private:
    void run();
    // The reason when the chunk could not be written in full.
    QString writeChunk(const QByteArray &chunk);
    QString closeFile(bool failedBefore);

    const QString m_path;
    QString m_openError;
    int m_fd = -1;
    bool m_wholeChunks = false;
    qint64 m_startSize = 0;
    qint64 m_queueLimit = defaultQueueLimit;
    bool m_finishing = false; // owner's view: no more writes

    std::thread m_thread;
    std::atomic<bool> m_ended{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QByteArray> m_queue; // guarded by m_mutex
    bool m_finishRequested = false; // guarded by m_mutex
    std::atomic<qint64> m_queued{0};
    std::atomic<qint64> m_written{0};
    std::atomic<bool> m_failed{false};
};
