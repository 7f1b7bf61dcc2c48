// Reading a timestamped log back: any line written by LogEntryText, in any
// format, reads back to its channel, direction and bytes and writes again to
// the same line; any other text either fails to read or reads to an entry
// that writes and reads back the same. Any text read as a file, a few bytes
// at a time, gives the entries of its lines one by one (LF or CR LF, blank
// lines skipped) up to the first line that does not read, and names it.
#include "core/log/log_entry_text.h"
#include "core/log/log_reader.h"
#include "fuzz_check.h"

#include <QBuffer>

#include <cstdint>

namespace {

QByteArray lineOf(const LogEntry &entry, ReceiveFormat format)
{
    QByteArray line;
    LogEntryText().append(line, entry, format);
    line.chop(1); // the LF
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    g_input = QByteArrayView(data, qsizetype(size));
    const ReceiveFormat format =
        std::array{ReceiveFormat::Ascii, ReceiveFormat::Hex, ReceiveFormat::Decimal}[data[0] % 3];

    // Written, then read.
    LogEntry written;
    written.channel = 1 + data[1] % 2;
    written.direction =
        std::array{LogDirection::Received, LogDirection::Sent, LogDirection::Note}[data[2] % 3];
    written.wallMs = qint64(1'700'000'000'000) + qint64(data[1]) * 86'399'999;
    written.bytes = g_input.sliced(3).toByteArray();
    const QByteArray line = lineOf(written, format);
    const std::optional<LogEntry> read = LogReader::entryOfLine(line, format);
    const bool empty = written.bytes.isEmpty() && format != ReceiveFormat::Ascii &&
                       written.direction != LogDirection::Note;
    check(read.has_value() || empty, "a written line does not read");
    if (read) {
        check(read->channel == written.channel, "channel read wrongly");
        check(read->direction == written.direction, "direction read wrongly");
        check(read->bytes == written.bytes, "bytes read wrongly");
        check(lineOf(*read, format) == line, "a read line writes differently");
    }

    // Any text as a line.
    const QByteArrayView any = g_input.sliced(1);
    if (const std::optional<LogEntry> entry = LogReader::entryOfLine(any, format)) {
        const std::optional<LogEntry> again =
            LogReader::entryOfLine(lineOf(*entry, format), format);
        check(again && again->bytes == entry->bytes && again->channel == entry->channel &&
                  again->direction == entry->direction,
              "a line read from any text does not read back");
    }

    // Read as a file, in pieces of 1 to 8 bytes: the same as line by line.
    QByteArray text = any.toByteArray();
    QBuffer file(&text);
    file.open(QIODevice::ReadOnly);
    LogFileReader reader(file, format, 1 + data[2] % 8);
    qsizetype lineNumber = 0;
    for (QByteArrayView rest = any; !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const std::optional<LogEntry> expected = LogReader::entryOfLine(line, format);
        const std::optional<LogEntry> read = reader.next();
        check(read.has_value() == expected.has_value(), "a line read differently from a file");
        if (!read) {
            check(reader.error().contains(QString::number(lineNumber)), "the wrong line named");
            return 0;
        }
        check(read->bytes == expected->bytes && read->wallMs == expected->wallMs &&
                  reader.lineNumber() == lineNumber,
              "an entry read differently from a file");
    }
    check(!reader.next() && reader.error().isEmpty(), "more entries than lines");
    return 0;
}
