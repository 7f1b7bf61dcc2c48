// The Telnet session: whatever a peer sends, split anywhere, gives the same
// data, answers and events as when it comes whole; the data is exactly the
// bytes outside commands with IAC IAC read as one 0xFF (an independent
// reading below); subnegotiations never keep more than their bound; and
// the answers are no longer than three bytes per command read.
#include "core/telnet/telnet_session.h"
#include "fuzz_check.h"

#include <cstdint>

namespace {

// The data bytes, read by a plain scan: IAC IAC is 0xFF; IAC WILL/WONT/
// DO/DONT skips its option; IAC SB skips to IAC SE (or to an IAC that
// starts another command); any other IAC pair is skipped.
QByteArray expectedData(QByteArrayView in)
{
    QByteArray data;
    qsizetype i = 0;
    const auto at = [&](qsizetype k) {
        return std::uint8_t(in[k]);
    };
    while (i < in.size()) {
        if (at(i) != 0xff) {
            data.append(in[i++]);
            continue;
        }
        if (i + 1 >= in.size())
            break;
        const std::uint8_t verb = at(i + 1);
        if (verb == 0xff) {
            data.append(char(0xff));
            i += 2;
        } else if (verb >= 251 && verb <= 254) {
            i += 3;
        } else if (verb == 250) {
            i += 3; // IAC SB option
            while (i < in.size()) {
                if (at(i) == 0xff && i + 1 < in.size() && at(i + 1) == 0xff) {
                    i += 2;
                } else if (at(i) == 0xff && i + 1 < in.size() && at(i + 1) == 240) {
                    i += 2;
                    break;
                } else if (at(i) == 0xff) {
                    break; // read again as a command
                } else {
                    ++i;
                }
            }
        } else {
            i += 2;
        }
    }
    return data;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(bytes), qsizetype(size));
    g_input = input;

    TelnetSession whole;
    whole.start();
    TelnetSession::Output wholeOut;
    whole.receive(input, wholeOut);

    // Split at places taken from the input itself.
    TelnetSession split;
    split.start();
    TelnetSession::Output splitOut;
    qsizetype from = 0;
    for (qsizetype k = 0; from < input.size(); ++k) {
        const qsizetype step = 1 + (k < input.size() ? std::uint8_t(input[k]) % 7 : 0);
        const qsizetype count = qMin(step, input.size() - from);
        split.receive(input.sliced(from, count), splitOut);
        from += count;
    }

    check(wholeOut.data == splitOut.data, "data depends on where batches end");
    check(wholeOut.reply == splitOut.reply, "answers depend on where batches end");
    check(wholeOut.events.size() == splitOut.events.size(), "events depend on batches");
    check(wholeOut.data == expectedData(input), "data differs from a plain reading");
    check(wholeOut.reply.size() <= 3 * input.count(char(0xff)), "more answers than commands");
    for (const TelnetSession::ComPortEvent &event : std::as_const(wholeOut.events))
        check(event.value.size() < TelnetSession::maxSubnegotiation,
              "a subnegotiation past its bound");
    return 0;
}
