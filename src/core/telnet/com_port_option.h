#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// The COM-PORT-OPTION's commands and values (Telnet option 44, RFC 2217),
// as plain numbers: the client sends `command`, the server answers with
// `command + serverOffset` and the value it now uses.
namespace ComPortOption {

inline constexpr std::uint8_t serverOffset = 100;

enum Command : std::uint8_t
{
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    SetLineStateMask = 10,
    SetModemStateMask = 11,
};

enum Parity : std::uint8_t
{
    ParityNone = 1,
    ParityOdd = 2,
    ParityEven = 3,
    ParityMark = 4,
    ParitySpace = 5
};
enum StopSize : std::uint8_t
{
    StopOne = 1,
    StopTwo = 2,
    StopOneAndHalf = 3
};

// SET-CONTROL values.
enum Control : std::uint8_t
{
    FlowNone = 1,
    FlowXonXoff = 2,
    FlowHardware = 3,
    BreakOn = 5,
    BreakOff = 6,
    DtrOn = 8,
    DtrOff = 9,
    RtsOn = 11,
    RtsOff = 12,
};

// NOTIFY-MODEMSTATE bits.
enum ModemState : std::uint8_t
{
    Cts = 0x10,
    Dsr = 0x20,
    Ri = 0x40,
    Dcd = 0x80
};

// A speed as SET-BAUDRATE carries it: four bytes, most significant first.
inline QByteArray baudRateValue(std::uint32_t speed)
{
    QByteArray value(4, Qt::Uninitialized);
    for (int i = 0; i < 4; ++i)
        value[i] = char(speed >> (24 - 8 * i));
    return value;
}

// The one-byte value of a server's answer; nothing when it has another size.
inline std::optional<std::uint8_t> byteValue(const QByteArray &value)
{
    if (value.size() != 1)
        return std::nullopt;
    return std::uint8_t(value.at(0));
}

} // namespace ComPortOption
