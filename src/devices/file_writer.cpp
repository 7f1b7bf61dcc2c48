#include "devices/file_writer.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Well within the time data may take to reach the file (200 ms).
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
    wait();
}

bool FileWriter::open(Existing existing, bool wholeChunks)
{
    m_wholeChunks = wholeChunks;
    // Non-blocking only for the open itself: a named pipe nobody reads then
    // fails at once instead of hanging the window.
    // Always appending: a file cut short by another program meanwhile goes
    // on at its new end, with no gap of zeros where the cut part was.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_APPEND |
                      (existing == Existing::Append ? 0 : O_TRUNC);
    m_fd = ::open(QFile::encodeName(m_path).constData(), flags, 0666);
    if (m_fd < 0) {
        m_openError = systemReason(errno);
        return false;
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    struct stat info
    {};
    if (existing == Existing::Append && ::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode))
        m_startSize = info.st_size;
    m_thread = std::thread([this] { run(); });
    return true;
}

bool FileWriter::write(const QByteArray &chunk)
{
    if (m_finishing || m_failed || chunk.isEmpty() || !m_thread.joinable())
        return true;
    if (m_queued + chunk.size() > m_queueLimit)
        return false;
    m_queued += chunk.size();
    bool wasEmpty = false;
    {
        std::lock_guard lock(m_mutex);
        wasEmpty = m_queue.empty();
        m_queue.push_back(chunk);
    }
    // A busy writer gathers chunks for a while and takes them all.
    if (wasEmpty)
        m_wake.notify_one();
    return true;
}

void FileWriter::finish()
{
    if (m_finishing)
        return;
    m_finishing = true;
    {
        std::lock_guard lock(m_mutex);
        m_finishRequested = true;
    }
    m_wake.notify_one();
}

void FileWriter::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool FileWriter::waitFor(int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (m_thread.joinable() && !m_ended && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (m_thread.joinable() && !m_ended)
        return false;
    wait();
    return true;
}

void FileWriter::run()
{
    // A named pipe whose reader went away then fails the write with EPIPE
    // instead of ending the program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    // Waking this thread must not take the processor from the window's.
    const sched_param batch{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);

    QString failure;
    bool finishing = false;
    while (failure.isEmpty() && !finishing) {
        std::deque<QByteArray> chunks;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_queue.empty() || m_finishRequested; });
            if (!m_finishRequested) {
                // Let more chunks come: fewer, larger writes, and far fewer
                // wake-ups for the window's thread to pay for.
                lock.unlock();
                std::this_thread::sleep_for(gatherTime);
                lock.lock();
            }
            chunks.swap(m_queue);
            finishing = m_finishRequested; // nothing is queued after the request
        }
        for (const QByteArray &chunk : chunks) {
            failure = writeChunk(chunk);
            m_queued -= chunk.size();
            if (!failure.isEmpty())
                break;
        }
    }
    const QString closeFailure = closeFile(!failure.isEmpty());
    if (failure.isEmpty())
        failure = closeFailure;
    if (!failure.isEmpty()) {
        m_failed = true;
        emit failed(failure);
    }
    emit finished();
    m_ended = true;
}

QString FileWriter::writeChunk(const QByteArray &chunk)
{
    const qint64 before = m_written;
    qsizetype done = 0;
    while (done < chunk.size()) {
        const ssize_t n = ::write(m_fd, chunk.constData() + done, size_t(chunk.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            if (m_wholeChunks && done > 0 && ::ftruncate(m_fd, m_startSize + before) == 0)
                m_written = before;
            return QStringLiteral("writing failed: %1").arg(systemReason(error));
        }
        done += n;
        m_written += n;
    }
    return {};
}

QString FileWriter::closeFile(bool failedBefore)
{
    QString failure;
    // Pipes and devices can't be synced; that's no failure.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS && !failedBefore)
        failure = QStringLiteral("syncing to the disk failed: %1").arg(systemReason(errno));
    if (::close(m_fd) != 0 && errno != EINTR && failure.isEmpty() && !failedBefore)
        failure = QStringLiteral("closing failed: %1").arg(systemReason(errno));
    m_fd = -1;
    return failure;
}
