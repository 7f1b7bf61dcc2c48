#include "core/named_file.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The texts' translation context, declared where lupdate reads it.
struct NamedFileText
{
    Q_DECLARE_TR_FUNCTIONS(NamedFile)
};

// Why a file of this kind is not read; empty for a regular file.
QString refusalOf(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return NamedFileText::tr("It is a folder, not a regular file.");
    const QString kind = S_ISFIFO(mode)                   ? NamedFileText::tr("a named pipe (FIFO)")
                         : S_ISCHR(mode) || S_ISBLK(mode) ? NamedFileText::tr("a device")
                         : S_ISSOCK(mode)                 ? NamedFileText::tr("a socket")
                                                          : NamedFileText::tr("something else");
    return NamedFileText::tr("It is %1, not a regular file.").arg(kind);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString tooLarge(qint64 largest)
{
    return NamedFileText::tr("It is larger than %1 kB, too large to read here.")
        .arg(largest / 1024);
}

} // namespace

QString NamedFile::open(QFile &file, const QString &path, qint64 largest)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info
    {};
    if (fd < 0) {
        // A socket can't be opened at all (ENXIO): say what it is.
        const int error = errno;
        const QString kind =
            ::stat(name.constData(), &info) == 0 ? refusalOf(info.st_mode) : QString();
        return kind.isEmpty() ? systemError(error) : kind;
    }
    QString refusal = ::fstat(fd, &info) == 0 ? refusalOf(info.st_mode) : systemError(errno);
    if (refusal.isEmpty() && largest >= 0 && info.st_size > largest)
        refusal = tooLarge(largest);
    // Reading a regular file never waits for a writer: plain reads from here.
    if (refusal.isEmpty() && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        refusal = systemError(errno);
    if (refusal.isEmpty() && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        refusal = file.errorString();
    if (!refusal.isEmpty())
        ::close(fd);
    return refusal;
}

NamedFile::Contents NamedFile::read(const QString &path, qint64 largest)
{
    QFile file;
    Contents contents;
    contents.error = open(file, path, largest);
    if (!contents.error.isEmpty())
        return contents;
    // It may have grown since it was looked at: never more than the cap.
    contents.bytes = file.read(largest + 1);
    if (file.error() != QFileDevice::NoError)
        contents.error = file.errorString();
    else if (contents.bytes.size() > largest)
        contents.error = tooLarge(largest);
    if (!contents.error.isEmpty())
        contents.bytes.clear();
    return contents;
}
