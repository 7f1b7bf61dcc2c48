#include "core/log/log_reader.h"

#include "core/byte_text.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QIODevice>

#include <algorithm>

namespace {

// The value of `count` decimal digits at `at`, or -1.
int logReaderNumber(QByteArrayView text, qsizetype at, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[at + i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "yyyy-MM-dd hh:mm:ss.zzz" as local time, in ms since the epoch.
std::optional<qint64> wallMsOf(QByteArrayView stamp)
{
    static constexpr char shape[] = "0000-00-00 00:00:00.000";
    for (qsizetype i = 0; i < stamp.size(); ++i)
        if ((shape[i] == '0') != (stamp[i] >= '0' && stamp[i] <= '9') ||
            (shape[i] != '0' && shape[i] != stamp[i]))
            return std::nullopt;
    const QDate date(logReaderNumber(stamp, 0, 4), logReaderNumber(stamp, 5, 2),
                     logReaderNumber(stamp, 8, 2));
    const QTime time(logReaderNumber(stamp, 11, 2), logReaderNumber(stamp, 14, 2),
                     logReaderNumber(stamp, 17, 2), logReaderNumber(stamp, 20, 3));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time).toMSecsSinceEpoch();
}

std::optional<QByteArray> escapedBytes(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            bytes.append(c);
            continue;
        }
        if (i + 1 >= text.size())
            return std::nullopt;
        const char kind = text[++i];
        if (kind == 'r')
            bytes.append('\r');
        else if (kind == 'n')
            bytes.append('\n');
        else if (kind == 't')
            bytes.append('\t');
        else if (kind == '\\')
            bytes.append('\\');
        else if (kind == 'x' && i + 2 < text.size() && ByteText::hexDigitValue(text[i + 1]) >= 0 &&
                 ByteText::hexDigitValue(text[i + 2]) >= 0) {
            bytes.append(char(ByteText::hexDigitValue(text[i + 1]) * 16 +
                              ByteText::hexDigitValue(text[i + 2])));
            i += 2;
        } else
            return std::nullopt;
    }
    return bytes;
}

// " 41 42" or " 65 66": a space before each number.
std::optional<QByteArray> numberBytes(QByteArrayView text, bool hex)
{
    QByteArray bytes;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] != ' ')
            return std::nullopt;
        ++i;
        int value = 0;
        int digits = 0;
        while (i < text.size() && text[i] != ' ') {
            const int digit = hex ? ByteText::hexDigitValue(text[i])
                                  : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
            if (digit < 0 || ++digits > (hex ? 2 : 3))
                return std::nullopt;
            value = value * (hex ? 16 : 10) + digit;
            ++i;
        }
        if (digits == 0 || (hex && digits != 2) || value > 255)
            return std::nullopt;
        bytes.append(char(value));
    }
    return bytes;
}

} // namespace

std::optional<LogEntry> LogReader::entryOfLine(QByteArrayView line, ReceiveFormat format)
{
    // "yyyy-MM-dd hh:mm:ss.zzz N< ..." : 23 characters of time, then " N<".
    constexpr qsizetype stampSize = 23;
    if (line.size() < stampSize + 3 || line[stampSize] != ' ')
        return std::nullopt;
    const std::optional<qint64> wallMs = wallMsOf(line.first(stampSize));
    const char channel = line[stampSize + 1];
    if (!wallMs || channel < '1' || channel > '9')
        return std::nullopt;
    LogEntry entry;
    entry.wallMs = *wallMs;
    entry.channel = channel - '0';
    const QByteArrayView rest = line.sliced(stampSize + 3);
    std::optional<QByteArray> bytes;
    switch (line[stampSize + 2]) {
    case '<':
    case '>':
        entry.direction = line[stampSize + 2] == '<' ? LogDirection::Received : LogDirection::Sent;
        if (format == ReceiveFormat::Ascii)
            bytes = rest.startsWith(' ') ? escapedBytes(rest.sliced(1)) : std::nullopt;
        else
            bytes = numberBytes(rest, format != ReceiveFormat::Decimal);
        break;
    case '!':
        entry.direction = LogDirection::Note;
        bytes = rest.startsWith(' ') ? escapedBytes(rest.sliced(1)) : std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    if (!bytes)
        return std::nullopt;
    entry.bytes = *bytes;
    return entry;
}

LogFileReader::LogFileReader(QIODevice &file, ReceiveFormat format, qsizetype pieceSize)
    : m_file(file)
    , m_format(format)
    , m_pieceSize(std::max<qsizetype>(1, pieceSize))
{}

std::optional<LogEntry> LogFileReader::next()
{
    while (m_error.isEmpty()) {
        qsizetype end = m_text.indexOf('\n', m_scanned);
        if (end < 0) {
            m_scanned = m_text.size();
            if (m_text.size() - m_at > longestLine) {
                m_error = QCoreApplication::translate("LogReader", "Line %1 is longer than %2 MB.")
                              .arg(m_lineNumber + 1)
                              .arg(longestLine >> 20);
                break;
            }
            if (!m_atEnd) {
                readPiece();
                continue;
            }
            if (m_at == m_text.size())
                break;
            end = m_text.size(); // a last line without its LF
        }
        QByteArrayView line(m_text.constData() + m_at, end - m_at);
        m_at = std::min(end + 1, m_text.size());
        m_scanned = m_at;
        ++m_lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        std::optional<LogEntry> entry = LogReader::entryOfLine(line, m_format);
        if (!entry) {
            m_error =
                QCoreApplication::translate("LogReader", "Line %1 is not a timestamped log line.")
                    .arg(m_lineNumber);
            break;
        }
        entry->order = m_order++;
        return entry;
    }
    return std::nullopt;
}

void LogFileReader::readPiece()
{
    // Lines already taken are dropped first: the text never holds more than
    // one piece past the line being read.
    m_text.remove(0, m_at);
    m_scanned -= m_at;
    m_at = 0;
    const qsizetype had = m_text.size();
    m_text.resize(had + m_pieceSize);
    const qint64 got = m_file.read(m_text.data() + had, m_pieceSize);
    m_text.resize(had + std::max<qint64>(got, 0));
    if (got < 0)
        m_error = QCoreApplication::translate("LogReader", "The file can't be read: %1")
                      .arg(m_file.errorString());
    if (got <= 0)
        m_atEnd = true;
}
