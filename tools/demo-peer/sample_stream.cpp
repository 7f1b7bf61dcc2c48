#include "sample_stream.h"

#include <utility>

SampleStream::SampleStream(const StreamTiming &timing, quint32 seed, QObject *parent)
    : QObject(parent)
    , m_timing(timing)
    , m_source(seed)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SampleStream::step);
}

void SampleStream::start()
{
    m_linesSinceFrame = 0;
    m_lineFeedDue = false;
    m_timer.start(0);
}

void SampleStream::stop()
{
    m_timer.stop();
}

QByteArray SampleStream::lineFeedDue()
{
    return std::exchange(m_lineFeedDue, false) ? QByteArray("\n") : QByteArray();
}

void SampleStream::step()
{
    if (m_timing.linesPerFrame > 0 && m_linesSinceFrame >= m_timing.linesPerFrame) {
        m_linesSinceFrame = 0;
        m_timer.start(m_timing.gapMs);
        emit bytesReady(lineFeedDue() + m_source.nextFrame());
        return;
    }
    ++m_linesSinceFrame;
    m_timer.start(m_timing.lineIntervalMs);
    const QByteArray lead = lineFeedDue();
    m_lineFeedDue = true;
    emit bytesReady(lead + m_source.nextReading() + '\r');
}
