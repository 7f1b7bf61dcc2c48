#include "stream_writer.h"

#include "processors.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <poll.h>
#include <unistd.h>

StreamWriter::StreamWriter(int fd, QByteArray data, int chunk, double bytesPerSecond)
    : m_fd(fd)
    , m_data(std::move(data))
    , m_chunk(chunk)
    , m_rate(bytesPerSecond)
{}

StreamWriter::~StreamWriter()
{
    join();
}

void StreamWriter::start()
{
    m_thread = std::thread([this] { run(); });
}

void StreamWriter::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void StreamWriter::run()
{
    keepThreadOn(m_processor);
    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    qint64 done = 0;
    while (done < m_data.size()) {
        if (m_rate > 0) {
            const auto due = begin + std::chrono::duration<double>(done / m_rate);
            std::this_thread::sleep_until(due);
        }
        const qint64 n = qMin<qint64>(m_chunk, m_data.size() - done);
        const ssize_t w = ::write(m_fd, m_data.constData() + done, size_t(n));
        if (w > 0) {
            done += w;
            m_written = done;
        } else if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, 10);
        } else {
            break;
        }
    }
    timespec cpu{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    m_cpuNs = qint64(cpu.tv_sec) * 1000000000 + cpu.tv_nsec;
    m_finished = true;
}
