// The timestamped log: bytes of both channels and both directions, notes,
// format changes and takes at times that only move forward. Its text is read
// back line by line with a parser of its own, and must give:
//   - every byte of every stream once, in order, each line in its channel's
//     format at the take (ASCII with escapes, hex pairs, decimal numbers);
//   - lines that hold one line of the stream each, cut only after its
//     line end, or as a piece that waited its time (100 ms, 150 ms for a CR
//     that may yet get its LF);
//   - each line's time that of its first byte, and times in order.
#include "core/log/timestamped_log.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

constexpr qint64 wallBase = 1'700'000'000'000; // the wall clock at steady time 0

// What went into one channel's one direction, and how much came out.
struct Stream
{
    QByteArray fed;
    QList<qint64> steadyOf; // arrival of each byte
    qsizetype logged = 0;
    bool lastEndedInCr = false; // the last logged line ended in a lone CR
    qint64 lastFirstMs = 0;     // and its first byte arrived then
    qint64 lastTakenMs = 0;     // and it came out of a take then
};

struct Model
{
    std::map<std::pair<int, char>, Stream> streams; // (channel, '<' or '>')
    std::map<int, QList<QByteArray>> notes;         // not yet logged
    std::map<int, QList<qint64>> noteTimes;
    std::map<int, ReceiveFormat> formats;
    QByteArray lastTimestamp;
};

// Reads C-style escapes back; anything escaped that needn't be, or left
// plain that must be escaped, is refused.
bool unescape(QByteArrayView text, QByteArray &bytes)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            if (uchar(c) < 0x20 || uchar(c) >= 0x7f)
                return false;
            bytes.append(c);
            continue;
        }
        if (++i >= text.size())
            return false;
        const char e = text[i];
        if (e == 'r' || e == 'n' || e == 't' || e == '\\') {
            bytes.append(e == 'r' ? '\r' : e == 'n' ? '\n' : e == 't' ? '\t' : '\\');
            continue;
        }
        if (e != 'x' || i + 2 >= text.size())
            return false;
        const QByteArray digits = text.sliced(i + 1, 2).toByteArray();
        constexpr QByteArrayView upperDigits = "0123456789ABCDEF";
        if (!upperDigits.contains(digits[0]) || !upperDigits.contains(digits[1]))
            return false;
        const int value = int(upperDigits.indexOf(digits[0]) * 16 + upperDigits.indexOf(digits[1]));
        // Printable ones and the four named ones never take this form.
        if ((value >= 0x20 && value < 0x7f) || value == '\r' || value == '\n' || value == '\t')
            return false;
        bytes.append(char(value));
        i += 2;
    }
    return true;
}

// Reads " N" numbers, hex (two upper-case digits) or decimal (no leading
// zeros, up to 255).
bool readNumbers(QByteArrayView text, bool hex, QByteArray &bytes)
{
    const QList<QByteArray> parts = text.toByteArray().split(' ');
    if (parts.first().size() != 0)
        return false;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray &part = parts.at(i);
        bool ok = false;
        const int value = part.toInt(&ok, hex ? 16 : 10);
        if (!ok || value < 0 || value > 255)
            return false;
        const QByteArray canonical =
            hex ? QByteArray::number(value, 16).toUpper().rightJustified(2, '0')
                : QByteArray::number(value);
        if (part != canonical)
            return false;
        bytes.append(char(value));
    }
    return parts.size() > 1;
}

QByteArray timestampOf(qint64 steadyMs)
{
    return QDateTime::fromMSecsSinceEpoch(wallBase + steadyMs)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
        .toLatin1();
}

// Checks one line of the log's text (without its LF) against the model.
void checkLine(Model &model, QByteArrayView line, qint64 takenMs, bool final)
{
    constexpr qsizetype stampLength = 23; // "yyyy-MM-dd hh:mm:ss.zzz"
    check(line.size() >= stampLength + 3, "line too short");
    const QByteArray stamp = line.first(stampLength).toByteArray();
    check(line[stampLength] == ' ', "no space after the time");
    const int channel = line[stampLength + 1] - '0';
    check(channel == 1 || channel == 2, "channel number");
    const char kind = line[stampLength + 2];
    check(model.lastTimestamp <= stamp, "lines out of time order");
    model.lastTimestamp = stamp;
    const QByteArrayView rest = line.sliced(stampLength + 3);

    if (kind == '!') {
        QByteArray words;
        check(rest.startsWith(' ') && unescape(rest.sliced(1), words), "note not escaped");
        QList<QByteArray> &waiting = model.notes[channel];
        check(!waiting.isEmpty() && waiting.first() == words, "note not as given");
        check(stamp == timestampOf(model.noteTimes[channel].takeFirst()), "note time");
        waiting.removeFirst();
        return;
    }
    check(kind == '<' || kind == '>', "direction");
    QByteArray bytes;
    const ReceiveFormat format = model.formats[channel];
    if (format == ReceiveFormat::Ascii)
        check(rest.startsWith(' ') && rest.size() > 1 && unescape(rest.sliced(1), bytes),
              "ASCII line does not read back");
    else
        check(readNumbers(rest, format == ReceiveFormat::Hex, bytes), "numbers do not read back");

    Stream &stream = model.streams[{channel, kind}];
    const qsizetype at = stream.logged;
    check(stream.fed.sliced(at).startsWith(bytes), "bytes lost, added or out of order");
    const qint64 firstMs = stream.steadyOf.at(at);
    check(stamp == timestampOf(firstMs), "line time is not its first byte's");

    // Line ends only at the end: CR LF, LF or a lone CR.
    const qsizetype lineEnd = bytes.indexOf('\r') >= 0 ? bytes.indexOf('\r') : bytes.indexOf('\n');
    const bool ended = lineEnd >= 0;
    if (ended) {
        const QByteArrayView end = QByteArrayView(bytes).sliced(lineEnd);
        check(end == "\r\n" || end == "\r" || end == "\n", "a line break inside a line");
    } else if (!final) {
        check(takenMs >= firstMs + 100, "a piece came out before it waited");
    }
    if (bytes.startsWith('\n') && stream.lastEndedInCr)
        check(stream.lastTakenMs >= stream.lastFirstMs + 150, "CR LF cut before the LF could come");
    stream.lastEndedInCr = bytes.endsWith('\r');
    stream.lastFirstMs = firstMs;
    stream.lastTakenMs = takenMs;
    stream.logged += bytes.size();
}

void checkText(Model &model, const QByteArray &text, qint64 takenMs, bool final)
{
    if (text.isEmpty())
        return;
    check(text.endsWith('\n'), "text does not end with a whole line");
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf('\n', start);
        checkLine(model, QByteArrayView(text).sliced(start, end - start), takenMs, final);
        start = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Local times that never go back (no summer time), so lines in order
    // have times in order.
    setenv("TZ", "UTC", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g_input = QByteArrayView(data, qsizetype(size));
    static const ReceiveFormat formats[] = {ReceiveFormat::Ascii, ReceiveFormat::Hex,
                                            ReceiveFormat::Decimal};
    TimestampedLog log;
    Model model;
    qint64 now = 0;
    size_t pos = 0;
    auto byte = [&] {
        return pos < size ? data[pos++] : uint8_t(0);
    };
    auto bytes = [&](size_t count) {
        count = std::min(count, size - pos);
        const QByteArrayView view(data + pos, qsizetype(count));
        pos += count;
        return view;
    };

    while (pos < size) {
        const uint8_t op = byte();
        const int channel = 1 + (op >> 7);
        switch (op % 8) {
        case 0:
        case 1:
        case 2:
        case 3: { // bytes received or sent, a little later
            now += byte() % 64;
            const LogDirection direction = op & 1 ? LogDirection::Sent : LogDirection::Received;
            const QByteArrayView batch = bytes(byte() % 48);
            Stream &stream = model.streams[{channel, op & 1 ? '>' : '<'}];
            stream.fed += batch;
            stream.steadyOf.insert(stream.steadyOf.size(), batch.size(), now);
            log.add(channel, direction, batch, {now, wallBase + now});
            break;
        }
        case 4: { // a note
            const QByteArrayView words = bytes(byte() % 16);
            model.notes[channel].append(words.toByteArray());
            model.noteTimes[channel].append(now);
            log.note(channel, words, {now, wallBase + now});
            break;
        }
        case 5: {
            const ReceiveFormat format = formats[byte() % 3];
            model.formats[channel] = format;
            log.setFormat(channel, format);
            break;
        }
        case 6:
            checkText(model, log.take(now), now, false);
            break;
        case 7:
            now += byte() * 4;
            break;
        }
    }
    checkText(model, log.takeAll(), now, true);
    for (const auto &[key, stream] : model.streams)
        check(stream.logged == stream.fed.size(), "bytes never logged");
    for (const auto &[channel, waiting] : model.notes)
        check(waiting.isEmpty(), "note never logged");
    return 0;
}
