#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

struct FoundNumber;

// Cuts one channel's received bytes into lines for publishing: a line ends
// at LF, and a CR before it is left out. Bytes with no line end yet wait,
// with the arrival time of their first batch, which becomes the line's time;
// a line longer than longestLine goes out in pieces of that size.
class MqttLineCutter
{
public:
    static constexpr qsizetype longestLine = qsizetype(64) << 10;

    struct Line
    {
        qint64 arrivalMs = 0;
        QByteArray bytes;
    };
    void feed(QByteArrayView batch, qint64 arrivalMs, QList<Line> &out);
    // The waiting bytes as a line of their own (the channel closed), if any.
    void takeRest(QList<Line> &out);

private:
    QByteArray m_piece;
    qint64 m_pieceMs = 0;
};

// A line's JSON message: {"time":"2026-01-02T03:04:05.678Z","channel":1,
// "node":"lab-3","seq":42,"line":"..."}; the line's bytes are read as UTF-8
// (a byte that isn't becomes U+FFFD) and escaped as JSON strings are.
QByteArray mqttLineJson(qint64 arrivalMs, int channel, const QByteArray &node, qint64 sequence,
                        QByteArrayView line);

// The numbers found in a line, as JSON: {"time":"2026-01-02T03:04:05.678Z",
// "channel":1,"node":"lab-3","seq":43,"values":{"T":23.41,"P":1013.2},
// "units":{"T":"C","P":"hPa"}}; a series without a unit is left out of
// "units", a nan or infinite value is null. `numbers` is not empty.
QByteArray mqttValuesJson(qint64 arrivalMs, int channel, const QByteArray &node, qint64 sequence,
                          const QList<FoundNumber> &numbers);
