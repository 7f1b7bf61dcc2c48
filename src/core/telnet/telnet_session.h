#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <cstdint>

// One Telnet connection's byte stream, without the socket: bytes read from
// the peer go in, and out come the data bytes (0xFF unescaped), the answers
// the peer must be sent, and what the peer's COM-PORT-OPTION said.
//
// What it promises:
// - The session asks for BINARY both ways and offers COM-PORT-OPTION (44)
//   (start()). It accepts SUPPRESS-GO-AHEAD both ways, refuses every other
//   option, and answers a request only when it changes an option's state,
//   so two sessions never loop.
// - Input may be split anywhere, also inside a command or subnegotiation:
//   the rest is taken with the next receive().
// - Memory is bounded whatever arrives: a subnegotiation keeps at most
//   maxSubnegotiation bytes; a longer one is dropped whole when it ends.
//   An IAC inside a subnegotiation that is neither IAC IAC nor IAC SE ends
//   it (dropped) and is read as a command.
class TelnetSession
{
public:
    enum Byte : std::uint8_t
    {
        Se = 240,
        Sb = 250,
        Will = 251,
        Wont = 252,
        Do = 253,
        Dont = 254,
        Iac = 255,
    };
    enum Option : std::uint8_t
    {
        Binary = 0,
        SuppressGoAhead = 3,
        ComPort = 44,
    };
    static constexpr qsizetype maxSubnegotiation = 64;

    // What the peer said about the COM port.
    struct ComPortEvent
    {
        enum Kind
        {
            Accepted,   // the peer takes COM-PORT-OPTION
            Refused,    // the peer refused or dropped it
            ServerReply // a subnegotiation from the peer: code (100 + command) and value
        } kind;
        std::uint8_t code = 0;
        QByteArray value;
    };

    struct Output
    {
        QByteArray data;  // the peer's data bytes, unescaped
        QByteArray reply; // to be sent to the peer, as it is
        QList<ComPortEvent> events;
    };

    // The opening requests, to be sent once the connection is made. Starts a
    // fresh session (a reconnect calls it again).
    QByteArray start();
    void receive(QByteArrayView bytes, Output &out);

    bool comPortAccepted() const { return m_us[ComPort]; }

    // Data bytes to send, with each 0xFF doubled.
    static QByteArray escape(QByteArrayView data);
    // IAC SB 44 command value IAC SE, the value escaped.
    static QByteArray comPortCommand(std::uint8_t command, QByteArrayView value);

private:
    enum class State
    {
        Data,
        Iac,
        Verb, // after IAC WILL/WONT/DO/DONT: the option comes next
        SbOption,
        SbData,
        SbIac,
    };

    void negotiate(std::uint8_t verb, std::uint8_t option, Output &out);
    void endSubnegotiation(Output &out);
    static bool weOffer(std::uint8_t option);
    static bool weAccept(std::uint8_t option);

    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    std::uint8_t m_sbOption = 0;
    QByteArray m_sb;
    bool m_sbOverflow = false;
    // Each option's state on our side (WILL) and the peer's side (DO), and
    // whether we asked and still wait for the answer.
    std::array<bool, 256> m_us{};
    std::array<bool, 256> m_him{};
    std::array<bool, 256> m_askedUs{};
    std::array<bool, 256> m_askedHim{};
};
