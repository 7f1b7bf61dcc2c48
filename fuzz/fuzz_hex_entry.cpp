// Hex entry: whatever the operator types, only hex digits become bytes, one
// per pair of a run and one for a digit left over; and the transmit line
// sends the same bytes whether the codes come key by key or all at once.
#include "core/channel_state.h"
#include "core/hex_entry.h"
#include "core/transmit_line.h"

#include <QByteArray>
#include <QByteArrayList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what, QByteArrayView input)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s: input %s\n", what, input.toByteArray().toHex(' ').constData());
    std::abort();
}

int digitOf(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes of every run of digits in `text`, worked out digit by digit.
QByteArray expectedBytes(QByteArrayView text)
{
    QByteArray bytes;
    int high = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const int digit = i < text.size() ? digitOf(text[i]) : -1;
        if (digit < 0) {
            if (high >= 0)
                bytes.append(char(high));
            high = -1;
        } else if (high < 0) {
            high = digit;
        } else {
            bytes.append(char(high * 16 + digit));
            high = -1;
        }
    }
    return bytes;
}

// How many bytes the runs give: the sum of ceil(length / 2).
qsizetype expectedCount(QByteArrayView text)
{
    qsizetype count = 0;
    qsizetype run = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && digitOf(text[i]) >= 0) {
            ++run;
            continue;
        }
        count += (run + 1) / 2;
        run = 0;
    }
    return count;
}

// What the wire carries for typed codes, worked out from the rules: text
// mode sends each code at once ("Real Time") or the whole record at Enter;
// hex entry sends a run's bytes when a separator ends it ("Real Time") or
// every byte of the record at Enter. Backspace takes back the last code.
QByteArray expectedWire(QByteArrayView codes, bool perKey, bool hex)
{
    QByteArray record;
    QByteArray wire;
    for (const char code : codes) {
        if (code == TransmitLine::backspace) {
            record.chop(1);
            continue;
        }
        if (perKey && hex && digitOf(code) < 0) {
            qsizetype start = record.size();
            while (start > 0 && digitOf(record[start - 1]) >= 0)
                --start;
            wire += expectedBytes(QByteArrayView(record).sliced(start));
            record.append(code);
            continue;
        }
        record.append(code);
        if (perKey) {
            if (!hex)
                wire.append(code);
        } else if (code == TransmitLine::enter) {
            wire += hex ? expectedBytes(record) : record;
        }
    }
    return wire;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView input(data, qsizetype(size));
    const QByteArrayView text = input.sliced(1);

    // The hex entry helpers on their own.
    const QByteArray bytes = HexEntry::bytesOfText(text);
    check(bytes.size() == expectedCount(text), "byte count is not the sum of ceil(run/2)", input);
    check(bytes == expectedBytes(text), "bytes not made from the typed pairs", input);
    const QByteArrayView tail = HexEntry::trailingRun(text);
    check(text.endsWith(tail), "trailing run is not the end of the text", input);
    for (const char c : tail)
        check(HexEntry::isHexDigit(c), "trailing run holds a separator", input);
    check(tail.size() == text.size() || !HexEntry::isHexDigit(text[text.size() - tail.size() - 1]),
          "trailing run is not the whole run", input);
    check(HexEntry::bytesOfRun(tail) == expectedBytes(tail), "run bytes", input);
    for (int c = 0; c < 256; ++c)
        check(HexEntry::isHexDigit(char(c)) == (digitOf(char(c)) >= 0), "digit set", input);

    // The transmit line, fed all at once and key by key.
    const bool perKey = data[0] & 1;
    const bool hex = data[0] & 2;
    ChannelModes together;
    together.setLoadDefaults();
    together.transmit = perKey ? TransmitMode::RealTime : TransmitMode::AfterCr;
    ChannelModes keyByKey = together;

    QByteArray wireTogether;
    for (const Transmission &sent : TransmitLine::type(together, hex, text)) {
        check(!sent.isEmpty(), "an empty transmission", input);
        wireTogether += sent.view();
    }
    QByteArray wireKeys;
    for (const char code : text)
        wireKeys += joined(TransmitLine::type(keyByKey, hex, QByteArrayView(&code, 1)));

    const QByteArray wire = expectedWire(text, perKey, hex);
    check(wireTogether == wire, "wrong bytes on the wire (all at once)", input);
    check(wireKeys == wire, "wrong bytes on the wire (key by key)", input);
    check(together.strSend.view() == keyByKey.strSend.view(), "typed record differs", input);
    check(together.strSendHex.toByteArray() == keyByKey.strSendHex.toByteArray(),
          "hex record differs", input);
    if (hex)
        check(together.strSendHex == wire, "hex record is not what was sent", input);
    else
        check(together.strSendHex.isEmpty(), "hex record without hex entry", input);
    // Repeat sends a record, never more than was typed or made.
    check(joined(TransmitLine::repeatRecord(together, hex)) ==
              (hex ? together.strSendHex.toByteArray() : together.strSend.view().toByteArray()),
          "repeat record", input);
    return 0;
}
