#include "core/log/log_entry_text.h"

#include "core/byte_text.h"

#include <QDateTime>

#include <array>

namespace {

struct EscapeTable
{
    std::array<std::array<char, 4>, 256> text{};
    std::array<quint8, 256> length{};
    constexpr EscapeTable()
    {
        constexpr char digits[] = "0123456789ABCDEF";
        for (int v = 0; v < 256; ++v) {
            auto &t = text[v];
            if (v == '\\' || v == '\r' || v == '\n' || v == '\t') {
                t[0] = '\\';
                t[1] = v == '\\' ? '\\' : v == '\r' ? 'r' : v == '\n' ? 'n' : 't';
                length[v] = 2;
            } else if (v >= 0x20 && v < 0x7F) {
                t[0] = char(v);
                length[v] = 1;
            } else {
                t = {'\\', 'x', digits[v >> 4], digits[v & 0xF]};
                length[v] = 4;
            }
        }
    }
};

constexpr EscapeTable kEscapes;

} // namespace

void LogEntryText::appendEscaped(QByteArray &out, QByteArrayView bytes)
{
    const qsizetype start = out.size();
    out.resize(start + 4 * bytes.size());
    char *p = out.data() + start;
    for (const char byte : bytes) {
        const auto v = static_cast<unsigned char>(byte);
        for (int i = 0; i < kEscapes.length[v]; ++i)
            *p++ = kEscapes.text[v][i];
    }
    out.truncate(p - out.constData());
}

void LogEntryText::appendTimestamp(QByteArray &out, qint64 wallMs)
{
    const qint64 second = wallMs >= 0 ? wallMs / 1000 : (wallMs - 999) / 1000;
    if (second != m_cachedSecond) {
        m_cachedSecond = second;
        m_cachedPrefix = QDateTime::fromMSecsSinceEpoch(second * 1000)
                             .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss."))
                             .toLatin1();
    }
    const int ms = int(wallMs - second * 1000);
    out.append(m_cachedPrefix);
    out.append(char('0' + ms / 100));
    out.append(char('0' + ms / 10 % 10));
    out.append(char('0' + ms % 10));
}

void LogEntryText::append(QByteArray &out, const LogEntry &entry, ReceiveFormat format)
{
    appendTimestamp(out, entry.wallMs);
    out.append(' ');
    out.append(char('0' + entry.channel)); // channels 1 and 2
    switch (entry.direction) {
    case LogDirection::Received:
        out.append('<');
        break;
    case LogDirection::Sent:
        out.append('>');
        break;
    case LogDirection::Note:
        // Words, whatever the channel's format.
        out.append("! ");
        appendEscaped(out, entry.bytes);
        out.append('\n');
        return;
    }
    // Hex and decimal pieces bring their own space before each number.
    switch (format) {
    case ReceiveFormat::Ascii:
    case ReceiveFormat::Terminal: // the bytes as they came, escapes and all
        out.append(' ');
        appendEscaped(out, entry.bytes);
        break;
    case ReceiveFormat::Hex:
    case ReceiveFormat::Dump: // a log line is no dump row: its bytes as in Hex
        ByteText::appendHexPieces(out, entry.bytes, " ", {});
        break;
    case ReceiveFormat::Decimal:
        ByteText::appendDecimalPieces(out, entry.bytes, " ", {});
        break;
    }
    out.append('\n');
}
