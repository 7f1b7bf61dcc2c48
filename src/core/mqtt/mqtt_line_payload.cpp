#include "core/mqtt/mqtt_line_payload.h"

#include <QDateTime>
#include <QString>

#include <algorithm>
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
    const QByteArray utf8 = QString::fromUtf8(text).toUtf8(); // bad bytes become U+FFFD
    out += '"';
    for (const char c : utf8) {
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

} // namespace

QByteArray mqttLineJson(qint64 arrivalMs, int channel, const QByteArray &node, qint64 sequence,
                        QByteArrayView line)
{
    QByteArray out;
    out.reserve(line.size() + node.size() + 96);
    out += "{\"time\":\"";
    out +=
        QDateTime::fromMSecsSinceEpoch(arrivalMs, Qt::UTC).toString(Qt::ISODateWithMs).toLatin1();
    out += "\",\"channel\":";
    out += QByteArray::number(channel);
    out += ",\"node\":";
    appendJsonText(out, node);
    out += ",\"seq\":";
    out += QByteArray::number(sequence);
    out += ",\"line\":";
    appendJsonText(out, line);
    out += '}';
    return out;
}
