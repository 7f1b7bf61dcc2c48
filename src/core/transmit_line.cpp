#include "core/transmit_line.h"

#include "core/hex_entry.h"

namespace TransmitLine {

QByteArrayList type(ChannelModes &modes, bool hexEntry, QByteArrayView codes)
{
    QByteArrayList transmissions;
    const bool perKey = modes.transmit == TransmitMode::RealTime;
    // A paste sends its plain text as one transmission rather than one per
    // character: the same bytes on the wire, far fewer writes.
    QByteArray pendingText;
    auto flushText = [&] {
        if (!pendingText.isEmpty())
            transmissions << std::exchange(pendingText, {});
    };

    for (const char code : codes) {
        if (code == backspace) {
            modes.strSend.chop(1);
            continue;
        }
        const QByteArrayView typedBefore = modes.strSend;
        if (perKey && hexEntry && !HexEntry::isHexDigit(code)) {
            // A separator ends the run of digits typed just before it.
            const QByteArray bytes = HexEntry::bytesOfRun(HexEntry::trailingRun(typedBefore));
            modes.strSend.append(code);
            if (!bytes.isEmpty()) {
                modes.strSendHex += bytes;
                flushText();
                transmissions << bytes;
            }
            continue;
        }
        modes.strSend.append(code);
        if (perKey) {
            if (!hexEntry)
                pendingText.append(code);
            continue;
        }
        if (code != enter)
            continue;
        flushText();
        if (!hexEntry) {
            transmissions << modes.strSend;
            continue;
        }
        const QByteArray bytes = HexEntry::bytesOfText(modes.strSend);
        modes.strSendHex += bytes;
        for (const char byte : bytes)
            transmissions << QByteArray(1, byte);
    }
    flushText();
    return transmissions;
}

QByteArray repeatRecord(const ChannelModes &modes, bool hexEntry)
{
    return hexEntry ? modes.strSendHex : modes.strSend;
}

void clearRecords(ChannelModes &modes)
{
    modes.strSend.clear();
    modes.strSendHex.clear();
}

} // namespace TransmitLine
