#include "devices/file_writer.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Well within the time data may take to reach the file (200 ms), and far
// fewer, larger writes and wake-ups than one per chunk.
constexpr std::chrono::milliseconds gatherTime{20};

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

FileWriter::FileWriter(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path)
{}

FileWriter::~FileWriter()
{
    finish();
}

bool FileWriter::open(Existing existing, bool wholeChunks)
{
    // Non-blocking only for the open itself: a named pipe nobody reads then
    // fails at once instead of hanging the window.
    // Always appending: a file cut short by another program meanwhile goes
    // on at its new end, with no gap of zeros where the cut part was.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_APPEND |
                      (existing == Existing::Append ? 0 : O_TRUNC);
    const int fd = ::open(QFile::encodeName(m_path).constData(), flags, 0666);
    if (fd < 0) {
        m_openError = systemReason(errno);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_file = std::make_shared<OpenFile>();
    m_file->fd = fd;
    m_file->wholeChunks = wholeChunks;
    struct stat info
    {};
    if (existing == Existing::Append && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        m_file->startSize = info.st_size;

    m_writer = std::make_unique<BackgroundWriter>(
        BackgroundWriter::Steps{[file = m_file](const BackgroundWriter::Item &item) {
                                    return file->writeChunk(item.bytes);
                                },
                                [file = m_file](bool failedBefore) {
                                    return file->close(failedBefore);
                                }},
        BackgroundWriter::Results{this,
                                  [this](const QString &reason) {
                                      emit failed(reason);
                                      finish(); // closed at once
                                  },
                                  [this] {
                                      emit finished();
                                  }});
    m_writer->setQueueLimit(m_queueLimit);
    m_writer->setGatherTime(gatherTime);
    return true;
}

void FileWriter::setQueueLimit(qint64 bytes)
{
    m_queueLimit = bytes;
    if (m_writer)
        m_writer->setQueueLimit(bytes);
}

bool FileWriter::write(const QByteArray &chunk)
{
    if (m_finishing || chunk.isEmpty() || !m_writer)
        return true;
    return m_writer->queue({chunk});
}

qint64 FileWriter::size() const
{
    return m_file ? m_file->startSize + m_file->written.load() : 0;
}

void FileWriter::finish()
{
    if (m_finishing)
        return;
    m_finishing = true;
    if (m_writer)
        m_writer->finish();
}

void FileWriter::wait()
{
    if (m_writer)
        m_writer->wait();
}

bool FileWriter::waitFor(int ms)
{
    return !m_writer || m_writer->waitFor(ms);
}

QString FileWriter::OpenFile::writeChunk(const QByteArray &chunk)
{
    const qint64 before = written;
    qsizetype done = 0;
    while (done < chunk.size()) {
        const ssize_t n = ::write(fd, chunk.constData() + done, size_t(chunk.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            if (wholeChunks && done > 0 && ::ftruncate(fd, startSize + before) == 0)
                written = before;
            return FileWriter::tr("writing failed: %1").arg(systemReason(error));
        }
        done += n;
        written += n;
    }
    return {};
}

QString FileWriter::OpenFile::close(bool failedBefore)
{
    QString failure;
    // Pipes and devices can't be synced; that's no failure.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS && !failedBefore)
        failure = FileWriter::tr("syncing to the disk failed: %1").arg(systemReason(errno));
    if (::close(fd) != 0 && errno != EINTR && failure.isEmpty() && !failedBefore)
        failure = FileWriter::tr("closing failed: %1").arg(systemReason(errno));
    fd = -1;
    return failure;
}

#include "moc_file_writer.cpp"
