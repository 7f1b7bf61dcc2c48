#include "core/pane/pane_spill.h"

#include "core/pane/page_memory.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

const char kPrefix[] = "varnokterm-pane-";

QString &folderOverride()
{
    static QString folder;
    return folder;
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A name mkstemp made from the spill file's template: the prefix and six
// letters or digits. Nothing else in the folder is ever taken for a spill.
bool isSpillName(const QString &name)
{
    const qsizetype prefix = qsizetype(std::strlen(kPrefix));
    if (name.size() != prefix + 6 || !name.startsWith(QLatin1String(kPrefix)))
        return false;
    return std::all_of(name.cbegin() + prefix, name.cend(),
                       [](QChar c) { return c.unicode() < 0x80 && std::isalnum(c.unicode()); });
}

// Removes `path` if it is this user's regular file that no running program
// holds. Checked before opening and again on the open file, and opened so
// that neither a FIFO nor a link can make the start wait.
bool removeIfLeftover(const QByteArray &path)
{
    struct stat named = {};
    if (::lstat(path.constData(), &named) != 0 || !S_ISREG(named.st_mode) ||
        named.st_uid != ::geteuid())
        return false;
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened = {};
    const bool same = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                      opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
    const bool removed =
        same && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.constData()) == 0;
    ::close(fd);
    return removed;
}

// The files of this process, removed at a normal exit even when their panes
// are never destroyed. Never freed: the exit handler runs after static
// objects may be gone, and writers' threads may still add or remove a file.
struct LiveFiles
{
    std::mutex mutex;
    QSet<QString> paths;

    void add(const QString &path)
    {
        const std::lock_guard lock(mutex);
        paths.insert(path);
    }
    void remove(const QString &path)
    {
        const std::lock_guard lock(mutex);
        paths.remove(path);
    }
};

LiveFiles &liveFiles()
{
    static LiveFiles *files = [] {
        std::atexit([] {
            LiveFiles &live = liveFiles();
            const std::lock_guard lock(live.mutex);
            for (const QString &path : std::as_const(live.paths))
                ::unlink(QFile::encodeName(path).constData());
        });
        return new LiveFiles;
    }();
    return *files;
}

QString tempFolder()
{
    return QDir::tempPath();
}

// Writes `item` at its offset; a failed write's part is given back at once.
QString writeAt(int fd, const BackgroundWriter::Item &item)
{
    const char *data = item.bytes.constData();
    const qsizetype size = item.bytes.size();
    qsizetype done = 0;
    while (done < size) {
        const ssize_t written = ::pwrite(fd, data + done, size_t(size - done), item.offset + done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int failure = written < 0 ? errno : ENOSPC;
            // Of no use, and a full disk wants its space back now, not when
            // the pane is cleared. What was written before it stays, read
            // through the maps.
            while (::ftruncate(fd, item.offset) < 0 && errno == EINTR) {
            }
            return errnoText(failure);
        }
        done += written;
    }
    return {};
}

} // namespace

// The file, shared by the spill and its writer's thread: made and removed
// there, read (fd, path) on the owner's thread once made.
struct PaneSpill::File
{
    QString folder;           // chosen on the owner's thread
    bool mayFallBack = false; // to the temporary folder
    QString path;             // set on the writer's thread before `fd`
    std::atomic<int> fd{-1};

    // On the writer's thread, before the first write.
    QString make()
    {
        QString error;
        int made = makeIn(folder, &path, &error);
        // The cache folder may be unusable where the temporary folder is not.
        if (made < 0 && mayFallBack) {
            QString tempError;
            made = makeIn(tempFolder(), &path, &tempError);
        }
        if (made < 0)
            return error;
        liveFiles().add(path);
        fd.store(made, std::memory_order_release);
        return {};
    }

    // On the writer's thread, after the last write.
    void removeAndClose()
    {
        const int open = fd.load(std::memory_order_acquire);
        if (open < 0)
            return;
        ::unlink(QFile::encodeName(path).constData());
        liveFiles().remove(path);
        // The last close frees the file's disk space, tens of milliseconds
        // for gigabytes.
        ::close(open);
    }

    // A new file in `place`, its descriptor, or -1 with `error` set.
    static int makeIn(const QString &place, QString *madePath, QString *error);
};

int PaneSpill::File::makeIn(const QString &place, QString *madePath, QString *error)
{
    if (!QDir().mkpath(place)) {
        *error = QStringLiteral("cannot make the folder %1").arg(place);
        return -1;
    }
    for (int attempt = 0; attempt < 5; ++attempt) {
        QByteArray name =
            QFile::encodeName(place + QLatin1Char('/') + QLatin1String(kPrefix)) + "XXXXXX";
        // mkstemp makes the file 0600, under a name no one else has.
        const int made = ::mkostemp(name.data(), O_CLOEXEC);
        if (made < 0) {
            *error = QStringLiteral("cannot create a file in %1: %2").arg(place, errnoText(errno));
            return -1;
        }
        // Held for the file's life. A starting copy of the program may have
        // seen the file before the lock and removed it: then try another.
        struct stat info = {};
        if (::flock(made, LOCK_EX | LOCK_NB) == 0 && ::fstat(made, &info) == 0 &&
            info.st_nlink > 0) {
            // No access time: the window maps the file and readers read
            // it, and each would otherwise dirty its inode for the file
            // system's journal to write, which a busy disk makes wait.
            ::fcntl(made, F_SETFL, ::fcntl(made, F_GETFL) | O_NOATIME);
            *madePath = QFile::decodeName(name);
            return made;
        }
        ::close(made);
    }
    *error = QStringLiteral("cannot keep a file in %1").arg(place);
    return -1;
}

PaneSpill::PaneSpill(std::shared_ptr<File> file)
    : m_file(std::move(file))
{
    const auto write = [file = m_file](const BackgroundWriter::Item &item) {
        if (file->fd.load(std::memory_order_relaxed) < 0) {
            if (QString error = file->make(); !error.isEmpty())
                return error;
        }
        return writeAt(file->fd.load(std::memory_order_relaxed), item);
    };
    const auto removeAndClose = [file = m_file](bool) {
        file->removeAndClose();
        return QString();
    };
    m_writer = std::make_unique<BackgroundWriter>(BackgroundWriter::Steps{write, removeAndClose});
}

PaneSpill::~PaneSpill()
{
    std::vector<void *> windows;
    for (char *window : std::as_const(m_windows))
        if (window)
            windows.push_back(window);
    PageMemory::unmapAll(std::move(windows), size_t(kWindow));
    // Last: the writes that wait are dropped, the one under way ends first
    // (its bytes are about to go), and nothing waits for the file's removal
    // and close, both on the writer's thread. The file's space goes with its
    // last reference, the close or the unmapping of its maps, both off this
    // thread.
    m_writer.reset();
}

void PaneSpill::endInBackground(std::unique_ptr<PaneSpill> spill, std::function<void()> then)
{
    std::thread([spill = std::move(spill), then = std::move(then)]() mutable {
        spill.reset();
        then();
    }).detach();
}

std::unique_ptr<PaneSpill> PaneSpill::create()
{
    auto file = std::make_shared<File>();
    file->folder = folder();
    file->mayFallBack = folderOverride().isEmpty() && file->folder != tempFolder();
    return std::unique_ptr<PaneSpill>(new PaneSpill(std::move(file)));
}

QString PaneSpill::path() const
{
    return m_file->fd.load(std::memory_order_acquire) < 0 ? QString() : m_file->path;
}

QString PaneSpill::failureText(const QString &error) const
{
    const QString made = path();
    return made.isEmpty() ? error : QStringLiteral("%1: %2").arg(made, error);
}

int PaneSpill::fd() const
{
    return m_file->fd.load(std::memory_order_acquire);
}

void PaneSpill::setFolder(const QString &folder)
{
    folderOverride() = folder;
}

QString PaneSpill::folder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? tempFolder() : cache + QStringLiteral("/varnokterm");
}

void PaneSpill::queueWrite(qint64 offset, const char *data, qsizetype size)
{
    m_writer->queue({QByteArray::fromRawData(data, size), offset});
}

qsizetype PaneSpill::writesDone(QString *error) const
{
    return m_writer->itemsDone(error);
}

bool PaneSpill::waitForWrites(qsizetype count, int timeoutMs) const
{
    return m_writer->waitForItems(count, timeoutMs);
}

const char *PaneSpill::map(qint64 offset, QString *error)
{
    const qsizetype index = qsizetype(offset / kWindow);
    if (m_windows.size() <= index)
        m_windows.resize(index + 1, nullptr);
    if (!m_windows.at(index)) {
        void *map = ::mmap(nullptr, size_t(kWindow), PROT_READ, MAP_SHARED, fd(), index * kWindow);
        if (map == MAP_FAILED) {
            *error = errnoText(errno);
            return nullptr;
        }
        m_windows[index] = static_cast<char *>(map);
    }
    return m_windows.at(index) + offset % kWindow;
}

void PaneSpill::release(const char *data, qsizetype size)
{
    const quintptr page = quintptr(::sysconf(_SC_PAGESIZE));
    const quintptr start = quintptr(data) & ~(page - 1);
    const quintptr end = quintptr(data) + quintptr(size);
    ::madvise(reinterpret_cast<void *>(start), size_t(end - start), MADV_DONTNEED);
}

int PaneSpill::removeLeftovers()
{
    QStringList folders{folder()};
    if (!folders.contains(tempFolder()))
        folders << tempFolder();
    int removed = 0;
    for (const QString &place : std::as_const(folders)) {
        const QStringList names =
            QDir(place).entryList({QLatin1String(kPrefix) + QLatin1String("??????")},
                                  QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : names) {
            if (isSpillName(name) &&
                removeIfLeftover(QFile::encodeName(place + QLatin1Char('/') + name)))
                ++removed;
        }
    }
    return removed;
}
