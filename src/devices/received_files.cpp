#include "devices/received_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The texts' translation context, declared where lupdate reads it.
struct ReceivedFileText
{
    Q_DECLARE_TR_FUNCTIONS(ReceivedFile)
};

// A descriptor closed when it goes out of scope.
class OpenFolder
{
public:
    explicit OpenFolder(int fd)
        : m_fd(fd)
    {}
    ~OpenFolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;
    OpenFolder &operator=(OpenFolder &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
};

// "name (2).ext": the base shortened, a whole character at a time, until the
// name fits in a folder entry.
QString numberedName(const QString &leaf, int n)
{
    const QFileInfo file(leaf);
    QString base = file.baseName();
    QString tail = QStringLiteral(" (%1)").arg(n);
    if (!file.completeSuffix().isEmpty())
        tail += QLatin1Char('.') + file.completeSuffix();
    if (base.isEmpty() || QFile::encodeName(tail).size() >= NAME_MAX) {
        base = leaf; // a name that is mostly suffix: the number goes at its end
        tail = QStringLiteral(" (%1)").arg(n);
    }
    while (!base.isEmpty() && QFile::encodeName(base + tail).size() > NAME_MAX) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return base + tail;
}

bool moved(const QString &staged, int folder, const QString &leaf, bool replacing)
{
    const QByteArray from = QFile::encodeName(staged);
    const QByteArray to = QFile::encodeName(leaf);
    if (replacing)
        return ::renameat(AT_FDCWD, from.constData(), folder, to.constData()) == 0;
    return ::renameat2(AT_FDCWD, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0;
}

} // namespace

ReceivedFile placeReceivedFile(const QString &staged, const QString &name, const QString &folder,
                               const std::function<bool(const QString &name)> &replace)
{
    ReceivedFile result{name, {}, {}};
    QStringList parts = name.split(QLatin1Char('/'));
    if (name.startsWith(QLatin1Char('/')) || parts.contains(QStringLiteral("..")) ||
        parts.contains(QStringLiteral(".")) || parts.contains(QString())) {
        result.problem = ReceivedFileText::tr("its name leads outside the receive folder");
        return result;
    }
    const QString leaf = parts.takeLast();
    OpenFolder at(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (at.fd() < 0) {
        result.problem = qt_error_string(errno);
        return result;
    }
    QString path;
    for (const QString &part : std::as_const(parts)) {
        path += part + QLatin1Char('/');
        const QByteArray entry = QFile::encodeName(part);
        if (::mkdirat(at.fd(), entry.constData(), 0777) != 0 && errno != EEXIST) {
            result.problem = qt_error_string(errno);
            return result;
        }
        // O_NOFOLLOW: a symbolic link in the way is not a folder to go into.
        at = OpenFolder(
            ::openat(at.fd(), entry.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (at.fd() < 0) {
            result.problem = errno == ELOOP || errno == ENOTDIR
                                 ? ReceivedFileText::tr("%1 in the receive folder is not a folder")
                                       .arg(path.chopped(1))
                                 : qt_error_string(errno);
            return result;
        }
    }
    const QString prefix = path;
    if (moved(staged, at.fd(), leaf, false)) {
        result.placedAs = name;
        return result;
    }
    if (errno != EEXIST) {
        result.problem = qt_error_string(errno);
        return result;
    }
    struct stat there = {};
    const bool isFolder =
        ::fstatat(at.fd(), QFile::encodeName(leaf).constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(there.st_mode);
    if (!isFolder && replace(name)) {
        // A symbolic link there is replaced itself, never followed.
        if (moved(staged, at.fd(), leaf, true))
            result.placedAs = name;
        else
            result.problem = qt_error_string(errno);
        return result;
    }
    for (int n = 2;; ++n) {
        const QString free = numberedName(leaf, n);
        if (moved(staged, at.fd(), free, false)) {
            result.placedAs = prefix + free;
            return result;
        }
        if (errno != EEXIST) {
            result.problem = qt_error_string(errno);
            return result;
        }
    }
}

unsigned newFileMode(const QString &folder)
{
    // The umask can only be read by setting it, which would race with other
    // threads making files: a file made here shows it instead.
    const QByteArray probe =
        QFile::encodeName(QDir(folder).filePath(QStringLiteral(".varnok-mode")));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return 0600;
    struct stat made = {};
    const bool read = ::fstat(fd, &made) == 0;
    ::close(fd);
    ::unlink(probe.constData());
    return read ? unsigned(made.st_mode & 0666) : 0600;
}
