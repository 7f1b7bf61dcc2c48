#include "sample_source.h"

#include <algorithm>

SampleSource::SampleSource(quint32 seed)
    : m_random(seed)
{}

// A random walk that is pulled back towards its mean, so values wander but
// stay believable however long the peer runs.
double SampleSource::drift(double value, double mean, double step, double low, double high)
{
    const double jitter = (m_random.generateDouble() * 2.0 - 1.0) * step;
    return std::clamp(value + (mean - value) * 0.02 + jitter, low, high);
}

QByteArray SampleSource::nextReading()
{
    m_temperature = drift(m_temperature, 23.0, 0.05, 15.0, 30.0);
    m_pressure = drift(m_pressure, 1013.0, 0.15, 980.0, 1040.0);
    m_humidity = drift(m_humidity, 42.0, 0.4, 10.0, 90.0);
    return QByteArray("T=") + QByteArray::number(m_temperature, 'f', 2) +
           "C P=" + QByteArray::number(m_pressure, 'f', 1) +
           "hPa RH=" + QByteArray::number(qRound(m_humidity)) + "%";
}

QByteArray SampleSource::nextFrame()
{
    const int length = m_random.bounded(8, 41);
    QByteArray frame;
    frame.reserve(length);
    frame.append('\x02');
    while (frame.size() < length - 1) {
        const char byte = char(m_random.bounded(256));
        if (byte != '\x02' && byte != '\x03' && byte != '\n' && byte != '\r')
            frame.append(byte);
    }
    frame.append('\x03');
    return frame;
}
