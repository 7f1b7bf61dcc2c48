// Line endings on the transmit line: whatever is typed, with the ending,
// transmit mode and Hex box changing between keystrokes, the bytes on the
// wire are the typed ones with each Enter replaced by the ending chosen when
// it was typed; a backspace takes back one character or one whole Enter;
// with hex entry every Enter only separates runs of digits. Checked against
// a model that keeps the record as a list of keystrokes, and every
// transmission must keep its bytes to the end, however the record changes.
#include "core/channel_state.h"
#include "core/transmit_line.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QList>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

const LineEnding endings[] = {LineEnding::Cr, LineEnding::Lf, LineEnding::CrLf, LineEnding::None};

QByteArray endingBytes(LineEnding ending)
{
    switch (ending) {
    case LineEnding::Cr:
        return "\r";
    case LineEnding::Lf:
        return "\n";
    case LineEnding::CrLf:
        return "\r\n";
    case LineEnding::None:
        return {};
    }
    return {};
}

bool isDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// One keystroke kept in the record: a character, or an Enter with the
// bytes of its ending.
struct Key
{
    bool enter = false;
    char code = 0;
    QByteArray ending;

    QByteArray bytes() const { return enter ? ending : QByteArray(1, code); }
    bool digit() const { return !enter && isDigit(code); }
};

int valueOf(char digit)
{
    return int(QByteArrayView("0123456789abcdef").indexOf(char(std::tolower(uchar(digit)))));
}

// The bytes the runs of digits in keys [from, to) spell: pairs from a run's
// start, a digit left over on its own.
QByteArray runBytes(const QList<Key> &keys, qsizetype from, qsizetype to)
{
    QByteArray bytes;
    QByteArray run;
    auto endRun = [&] {
        for (qsizetype i = 0; i + 1 < run.size(); i += 2)
            bytes.append(char(valueOf(run[i]) * 16 + valueOf(run[i + 1])));
        if (run.size() % 2)
            bytes.append(char(valueOf(run.back())));
        run.clear();
    };
    for (qsizetype i = from; i < to; ++i) {
        if (keys.at(i).digit())
            run.append(keys.at(i).code);
        else
            endRun();
    }
    endRun();
    return bytes;
}

struct Model
{
    QList<Key> keys;
    QByteArray hexRecord;

    QByteArray record() const
    {
        QByteArray bytes;
        for (const Key &key : keys)
            bytes += key.bytes();
        return bytes;
    }

    // What typing `code` sends.
    QByteArray type(char code, bool perKey, bool hex, LineEnding ending)
    {
        if (code == TransmitLine::backspace) {
            if (!keys.isEmpty())
                keys.removeLast();
            return {};
        }
        const Key key{code == TransmitLine::enter, code, endingBytes(ending)};
        if (perKey && hex && !key.digit()) {
            qsizetype start = keys.size();
            while (start > 0 && keys.at(start - 1).digit())
                --start;
            const QByteArray run = runBytes(keys, start, keys.size());
            keys.append(key);
            hexRecord += run;
            return run;
        }
        keys.append(key);
        if (perKey)
            return hex ? QByteArray() : key.bytes();
        if (!key.enter)
            return {};
        if (!hex)
            return record();
        const QByteArray all = runBytes(keys, 0, keys.size());
        hexRecord += all;
        return all;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g_input = QByteArrayView(data, qsizetype(size));
    ChannelModes modes;
    modes.setLoadDefaults();
    Model model;
    // Every transmission made, with the bytes it must still hold at the end.
    QList<std::pair<Transmission, QByteArray>> sent;

    // Each step: a control byte (ending, mode, Hex box, what to do), then
    // for typing a length and that many codes, typed in one call.
    size_t pos = 0;
    while (pos < size) {
        const uint8_t control = data[pos++];
        const LineEnding ending = endings[control & 3];
        modes.transmit = (control & 4) ? TransmitMode::AfterCr : TransmitMode::RealTime;
        const bool hex = control & 8;
        const bool perKey = modes.transmit == TransmitMode::RealTime;
        switch (control >> 4) {
        case 0: // Clear
            TransmitLine::clearRecords(modes);
            model.keys.clear();
            model.hexRecord.clear();
            break;
        case 1: { // Repeat
            const TransmissionList again = TransmitLine::repeatRecord(modes, hex);
            check(joined(again) == (hex ? model.hexRecord : model.record()), "repeat");
            for (const Transmission &t : again)
                sent.append({t, t.toByteArray()});
            break;
        }
        default: {
            const size_t wanted = pos < size ? data[pos++] % 32 : 0;
            const size_t length = std::min(wanted, size - pos);
            const QByteArrayView codes(data + pos, qsizetype(length));
            pos += length;
            const TransmissionList wire = TransmitLine::type(modes, hex, codes, ending);
            QByteArray expected;
            for (const char code : codes)
                expected += model.type(code, perKey, hex, ending);
            for (const Transmission &t : wire) {
                check(!t.isEmpty(), "an empty transmission");
                sent.append({t, t.toByteArray()});
            }
            check(joined(wire) == expected, "wrong bytes on the wire");
            break;
        }
        }
        check(modes.strSend.view() == model.record(), "typed record");
        check(modes.strSendHex.toByteArray() == model.hexRecord, "hex record");
    }
    for (const auto &[transmission, bytes] : sent)
        check(transmission.view() == bytes, "a transmission changed after it was made");
    return 0;
}
