#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// A pretend weather-station instrument: its reading lines drift slowly like
// real sensors, and its binary frames are STX, random payload, ETX.
class SampleSource
{
public:
    explicit SampleSource(quint32 seed);

    // "T=23.41C P=1013.2hPa RH=41%" (no line end), the values moved on a
    // little.
    QByteArray nextReading();
    // 8 to 40 bytes: 0x02, payload, 0x03. The payload never holds 0x02,
    // 0x03, LF or CR, so a frame never looks like the end of a line.
    QByteArray nextFrame();

private:
    double drift(double value, double mean, double step, double low, double high);

    QRandomGenerator m_random;
    double m_temperature = 23.4;
    double m_pressure = 1013.2;
    double m_humidity = 41.0;
};
