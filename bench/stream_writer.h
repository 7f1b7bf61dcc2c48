#pragma once

#include <QByteArray>

#include <atomic>
#include <thread>

// Plays a device or a peer from another thread: writes `data` to a file
// descriptor in pieces of `chunk` bytes, paced to `bytesPerSecond` (0: as fast
// as the reader takes it).
class StreamWriter
{
public:
    StreamWriter(int fd, QByteArray data, int chunk, double bytesPerSecond);
    ~StreamWriter();
    // The processor the writing thread keeps to; any when not set.
    void setProcessor(int processor) { m_processor = processor; }
    void start();
    void join();
    bool finished() const { return m_finished; }
    qint64 written() const { return m_written; }
    // The writer thread's own processor time, in seconds; read after join().
    double cpuSeconds() const { return m_cpuNs / 1e9; }

private:
    void run();

    int m_fd;
    QByteArray m_data;
    int m_chunk;
    double m_rate;
    int m_processor = -1;
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
    std::atomic<qint64> m_written{0};
    std::atomic<qint64> m_cpuNs{0};
};
