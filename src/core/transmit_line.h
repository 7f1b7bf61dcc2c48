#pragma once

#include "core/channel_state.h"
#include "core/transmission.h"

#include <QByteArrayView>

// What a channel's transmit line does with typed characters: keeps the typed
// record and the hex byte record, and says what to send. Widget-free.
namespace TransmitLine {

inline constexpr char backspace = 8;
inline constexpr char enter = 13;

// Handles typed character codes (one byte each, Latin-1; Enter is 13,
// backspace 8) in order, with the channel's transmit mode and the Hex box
// as they are now. Returns the transmissions to make, in order.
//
// Backspace takes the last character off the typed record and sends
// nothing. "Real Time" sends text at once, or with hex entry the bytes of a
// run of digits when a separator ends it. Line mode sends on Enter the whole
// record since the last Clear, or with hex entry every byte of every run;
// these share the record's storage rather than copying it.
//
// Enter records and sends `ending` in its place (in line mode as the end of
// the record it resends). With hex entry it only ends a run: the bytes on
// the wire are the typed pairs alone.
TransmissionList type(ChannelModes &modes, bool hexEntry, QByteArrayView codes,
                      LineEnding ending = LineEnding::Cr);

// What Repeat sends: the hex byte record with hex entry, else the typed
// record.
TransmissionList repeatRecord(const ChannelModes &modes, bool hexEntry);

// The transmit Clear command empties both records.
void clearRecords(ChannelModes &modes);

} // namespace TransmitLine
