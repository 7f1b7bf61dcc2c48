#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>

// A pane's private file for the older part of its text: created 0600 in the
// user's cache folder (or the temporary folder when that fails), written in
// whole blocks and read back through read-only memory maps. The file is
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

    QString path() const { return m_path; }

    // Writes `size` bytes at `offset` (a multiple of the page size, and no
    // block may straddle a multiple of kWindow) and returns where they can
    // be read from now on, or null with `error` set (the disk is full...).
    const char *write(qint64 offset, const char *data, qsizetype size, QString *error);
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

    int m_fd = -1;
    QString m_path;
    QList<char *> m_windows;
};
