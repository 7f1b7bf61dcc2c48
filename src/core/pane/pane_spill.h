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
//
// The writer's thread makes the file before its first write and removes its
// name after its last: making or removing a name waits for the file system's
// journal, which a disk busy with gigabytes of writes can hold for hundreds
// of milliseconds, so neither is ever done on the owner's thread.
class PaneSpill
{
public:
    // A new spill, its file made with the first write. A file that cannot
    // be made fails that write (writesDone), and the writes after it.
    static std::unique_ptr<PaneSpill> create();
    ~PaneSpill();
    PaneSpill(const PaneSpill &) = delete;
    PaneSpill &operator=(const PaneSpill &) = delete;
    // Ends `spill` without the caller waiting: on a thread of its own the
    // write under way ends (a disk that throttles writes can hold one for
    // tens of milliseconds), the maps go, then `then` runs, to free the
    // memory the queued writes were to read; the file's name goes after.
    static void endInBackground(std::unique_ptr<PaneSpill> spill, std::function<void()> then);

    // The file, once made (empty before).
    QString path() const;
    // `error` of a write or a map, with the file's path when there is one.
    QString failureText(const QString &error) const;
    // The open file once made (-1 before: no write is done then), for
    // readers that read it with pread rather than through the maps (see
    // PaneSnapshot); open until this object goes.
    int fd() const;

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
    struct File;
    explicit PaneSpill(std::shared_ptr<File> file);

    std::shared_ptr<File> m_file; // shared with the writer's thread
    QList<char *> m_windows;
    // Makes, writes and, when this object goes, removes and closes the file.
    std::unique_ptr<BackgroundWriter> m_writer;
};
