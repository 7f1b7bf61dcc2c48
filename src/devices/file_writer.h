#pragma once

#include "core/background_writer.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// Writes one file through a BackgroundWriter, so a slow or stuck disk never
// holds up the window. Chunks queue in memory up to a limit; they reach the
// system within about 20 ms (a killed program loses nothing the system has),
// and finishing writes the rest, syncs the file to the disk and closes it.
// A failure finishes the file at once.
//
// With whole chunks, a failed write cuts the file back to the end of the
// last chunk written in full, so a log never ends in half an entry.
//
// Going never waits for the disk: what was queued is still written, synced
// and closed on the writer's thread. An owner that needs the file complete
// waits first (wait(), or waitFor() where a disk may not answer).
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
    ~FileWriter() override; // finishes the file, without waiting for it

    // Opens the file (made if missing) and starts writing; false, with
    // errorString(), when it can't be opened.
    bool open(Existing existing, bool wholeChunks);
    QString errorString() const { return m_openError; }
    QString path() const { return m_path; }

    void setQueueLimit(qint64 bytes);
    qint64 queueLimit() const { return m_queueLimit; }
    // Queues `chunk`; false when the queue would pass its limit (nothing is
    // queued then). After a failure or finish() chunks are dropped.
    bool write(const QByteArray &chunk);
    // What the file holds: its size at opening plus what has been written.
    qint64 size() const;

    // Writes what waits, syncs and closes the file, all on the writer's
    // thread, and returns at once; finished() follows.
    void finish();
    // Blocks until the file is closed.
    void wait();
    // Waits at most `ms` for that; false when the writer is still busy (a
    // disk that does not answer).
    bool waitFor(int ms);

signals:
    // Writing, syncing or closing failed; nothing more goes to the file.
    void failed(const QString &reason);
    // The file is closed, after finish() or a failure.
    void finished();

private:
    // What the writer's thread uses: shared with it, so that it can finish
    // the file after this object has gone.
    struct OpenFile
    {
        int fd = -1;
        bool wholeChunks = false;
        qint64 startSize = 0;
        std::atomic<qint64> written{0};

        // The reason when the chunk could not be written in full.
        QString writeChunk(const QByteArray &chunk);
        QString close(bool failedBefore);
    };

    const QString m_path;
    QString m_openError;
    qint64 m_queueLimit = defaultQueueLimit;
    bool m_finishing = false; // no more writes
    std::shared_ptr<OpenFile> m_file;
    std::unique_ptr<BackgroundWriter> m_writer; // after m_file: goes first
};
