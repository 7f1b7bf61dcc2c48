#pragma once

#include "core/background_writer.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

// A pane's private file for the older part of its text: created 0600 in the
// user's cache folder (or the temporary folder when that fails), written in
// whole blocks by a BackgroundWriter (an append never waits for the disk)
// and read back through read-only memory maps. The file is
// removed when this object goes, and at a normal exit; a run that was killed
// leaves it behind, and the next start removes it (removeLeftovers). A live
// file is held under an advisory lock, so another running copy of the
// program never takes it for a leftover.
class PaneSpill
{
public:
    // A new, empty file; null with `error` set when none could be made.
    static std::unique_ptr<PaneSpill> create(QString *error);
    ~PaneSpill();
    PaneSpill(const PaneSpill &) = delete;
    PaneSpill &operator=(const PaneSpill &) = delete;
    // Ends `spill` without the caller waiting: its file's name goes now, and
    // on a thread of its own the write under way ends (a disk that throttles
    // writes can hold one for tens of milliseconds), the maps go, then `then`
    // runs, to free the memory the queued writes were to read.
    static void endInBackground(std::unique_ptr<PaneSpill> spill, std::function<void()> then);

    QString path() const { return m_path; }
    // The open file, for readers that read it with pread rather than through
    // the maps (see PaneSnapshot); open until this object goes.
    int fd() const { return m_fd; }

    // Queues `size` bytes at `data` for writing at `offset` (a multiple of
    // the page size; no write may straddle a multiple of kWindow). The bytes
    // must stay as they are until written.
    void queueWrite(qint64 offset, const char *data, qsizetype size);
    // How many queued writes are done, in queue order. After a failure, no
    // more are done and `error` says why.
    qsizetype writesDone(QString *error) const;
    // Waits until `count` writes are done or one failed, or at most
    // `timeoutMs` (-1: no limit). True unless the time ran out.
    bool waitForWrites(qsizetype count, int timeoutMs = -1) const;
    // Where the written bytes at `offset` can be read, or null with `error`.
    const char *map(qint64 offset, QString *error);
    // Drops the pages of [data, data + size) from this process's resident
    // set; they are read back from the file (or the page cache) when next
    // touched.
    static void release(const char *data, qsizetype size);

    // Where new files go: the cache folder unless set (tests set their own).
    static void setFolder(const QString &folder);
    static QString folder();
    // Removes the files that no running program holds, in the folder and in
    // the temporary folder. Returns how many went.
    static int removeLeftovers();

    // The read maps are this large; each is made when first needed.
    static constexpr qint64 kWindow = qint64(256) << 20;

private:
    PaneSpill(int fd, const QString &path);
    static std::unique_ptr<PaneSpill> createIn(const QString &folder, QString *error);
    void removeName();

    int m_fd = -1;
    QString m_path;
    bool m_named = true;
    QList<char *> m_windows;
    // Writes and, when this object goes, closes the file.
    std::unique_ptr<BackgroundWriter> m_writer;
};
