#include "core/transmit_line.h"

#include "core/hex_entry.h"

namespace TransmitLine {

TransmissionList type(ChannelModes &modes, bool hexEntry, QByteArrayView codes)
{
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
            modes.strSend.chop(1);
            continue;
        }
        if (perKey && hexEntry && !HexEntry::isHexDigit(code)) {
            // A separator ends the run of digits typed just before it.
            const Transmission bytes(
                HexEntry::bytesOfRun(HexEntry::trailingRun(modes.strSend.view())));
            modes.strSend.append(code);
            if (!bytes.isEmpty()) {
                modes.strSendHex.append(bytes);
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
