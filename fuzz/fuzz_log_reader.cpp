// Reading a timestamped log back: any line written by LogEntryText, in any
// format, reads back to its channel, direction and bytes and writes again to
// the same line; any other text either fails to read or reads to an entry
// that writes and reads back the same.
#include "core/log_entry_text.h"
#include "core/log_reader.h"
#include "fuzz_check.h"

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
    const LogReader::Reading whole = LogReader::entriesOfText(any, format);
    check(whole.error.isEmpty() != whole.entries.isEmpty(), "a reading with neither or both");
    return 0;
}
