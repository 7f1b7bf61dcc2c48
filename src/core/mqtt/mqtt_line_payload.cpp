#include "core/mqtt/mqtt_line_payload.h"

#include "core/plot/number_finder.h"

#include <QDateTime>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

void MqttLineCutter::feed(QByteArrayView batch, qint64 arrivalMs, QList<Line> &out)
{
    while (!batch.isEmpty()) {
        if (m_piece.isEmpty())
            m_pieceMs = arrivalMs;
        const qsizetype end = batch.indexOf('\n');
        const qsizetype room = longestLine - m_piece.size();
        if (end < 0 || end > room) {
            const qsizetype taken = std::min(batch.size(), room);
            m_piece.append(batch.first(taken));
            batch = batch.sliced(taken);
            if (m_piece.size() == longestLine)
                out << Line{m_pieceMs, std::exchange(m_piece, {})};
            continue;
        }
        m_piece.append(batch.first(end));
        batch = batch.sliced(end + 1);
        if (m_piece.endsWith('\r'))
            m_piece.chop(1);
        out << Line{m_pieceMs, std::exchange(m_piece, {})};
    }
}

void MqttLineCutter::takeRest(QList<Line> &out)
{
    if (!m_piece.isEmpty())
        out << Line{m_pieceMs, std::exchange(m_piece, {})};
}

namespace {

void appendJsonText(QByteArray &out, QByteArrayView text)
{
    static constexpr char hexDigits[] = "0123456789abcdef";
    // Bad bytes become U+FFFD; plain ASCII, the usual line, is taken as it is.
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const QByteArray utf8 = ascii ? QByteArray() : QString::fromUtf8(text).toUtf8();
    out += '"';
    for (const char c : ascii ? text : QByteArrayView(utf8)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7f) {
            out += "\\u00";
            out += hexDigits[u >> 4];
            out += hexDigits[u & 0xf];
        } else {
            out += c;
        }
    }
    out += '"';
}

// `"time":"2026-01-02T03:04:05.678Z"`. Lines come many to a second: the
// text up to the second is made once per second, per thread.
void appendJsonTime(QByteArray &out, qint64 arrivalMs)
{
    thread_local qint64 cachedSecond = -1;
    thread_local QByteArray cachedText; // "2026-01-02T03:04:05."
    const qint64 second = arrivalMs >= 0 ? arrivalMs / 1000 : (arrivalMs - 999) / 1000;
    if (second != cachedSecond) {
        cachedText = QDateTime::fromSecsSinceEpoch(second, Qt::UTC)
                         .toString(Qt::ISODate)
                         .toLatin1()
                         .chopped(1) // 'Z'
                     + '.';
        cachedSecond = second;
    }
    const int millisecond = int(arrivalMs - second * 1000);
    out += "\"time\":\"";
    out += cachedText;
    out += char('0' + millisecond / 100);
    out += char('0' + millisecond / 10 % 10);
    out += char('0' + millisecond % 10);
    out += "Z\"";
}

void appendJsonHead(QByteArray &out, qint64 arrivalMs, int channel, const QByteArray &node,
                    qint64 sequence)
{
    out += '{';
    appendJsonTime(out, arrivalMs);
    out += ",\"channel\":";
    out += QByteArray::number(channel);
    out += ",\"node\":";
    appendJsonText(out, node);
    out += ",\"seq\":";
    out += QByteArray::number(sequence);
}

void appendJsonNumber(QByteArray &out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[32];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    out.append(text, end.ptr - text);
}

} // namespace

QByteArray mqttLineJson(qint64 arrivalMs, int channel, const QByteArray &node, qint64 sequence,
                        QByteArrayView line)
{
    QByteArray out;
    out.reserve(line.size() + node.size() + 96);
    appendJsonHead(out, arrivalMs, channel, node, sequence);
    out += ",\"line\":";
    appendJsonText(out, line);
    out += '}';
    return out;
}

QByteArray mqttValuesJson(qint64 arrivalMs, int channel, const QByteArray &node, qint64 sequence,
                          const QList<FoundNumber> &numbers)
{
    QByteArray out;
    out.reserve(node.size() + 128 + numbers.size() * 32);
    appendJsonHead(out, arrivalMs, channel, node, sequence);
    out += ",\"values\":{";
    for (const FoundNumber &number : numbers) {
        if (&number != &numbers.first())
            out += ',';
        appendJsonText(out, number.name);
        out += ':';
        appendJsonNumber(out, number.value);
    }
    out += '}';
    bool anyUnit = false;
    for (const FoundNumber &number : numbers) {
        if (number.unit.isEmpty())
            continue;
        out += anyUnit ? "," : ",\"units\":{";
        anyUnit = true;
        appendJsonText(out, number.name);
        out += ':';
        appendJsonText(out, number.unit);
    }
    if (anyUnit)
        out += '}';
    out += '}';
    return out;
}
