#include "core/transmit_line.h"

#include "core/hex_entry.h"

namespace TransmitLine {

TransmissionList type(ChannelModes &modes, bool hexEntry, QByteArrayView codes, LineEnding ending)
{
    const QByteArrayView endingBytes = bytesOf(ending);
    TransmissionList transmissions;
    const bool perKey = modes.transmit == TransmitMode::RealTime;
    // A paste sends its plain text as one transmission rather than one per
    // character: the same bytes on the wire, far fewer writes.
    QByteArray pendingText;
    auto flushText = [&] {
        if (!pendingText.isEmpty())
            transmissions << Transmission(std::exchange(pendingText, {}));
    };

    for (const char code : codes) {
        if (code == backspace) {
            modes.strSend.takeBack();
            continue;
        }
        const bool isEnter = code == enter;
        const auto record = [&] {
            if (isEnter)
                modes.strSend.appendLineEnd(endingBytes);
            else
                modes.strSend.append(code);
        };
        if (perKey && hexEntry && !HexEntry::isHexDigit(code)) {
            // A separator ends the run of digits typed just before it.
            const Transmission bytes(HexEntry::bytesOfRun(modes.strSend.trailingRun()));
            record();
            if (!bytes.isEmpty()) {
                modes.strSendHex.append(bytes);
                flushText();
                transmissions << bytes;
            }
            continue;
        }
        record();
        if (perKey) {
            if (!hexEntry)
                pendingText.append(isEnter ? endingBytes : QByteArrayView(&code, 1));
            continue;
        }
        if (!isEnter)
            continue;
        flushText();
        // The whole record again: shared with the record, not copied.
        const Transmission whole = hexEntry ? modes.strSend.hexBytes() : modes.strSend.snapshot();
        if (hexEntry)
            modes.strSendHex.append(whole);
        if (!whole.isEmpty())
            transmissions << whole;
    }
    flushText();
    return transmissions;
}

TransmissionList repeatRecord(const ChannelModes &modes, bool hexEntry)
{
    if (hexEntry)
        return modes.strSendHex.pieces();
    if (modes.strSend.isEmpty())
        return {};
    return {modes.strSend.snapshot()};
}

void clearRecords(ChannelModes &modes)
{
    modes.strSend.clear();
    modes.strSendHex.clear();
}

} // namespace TransmitLine
