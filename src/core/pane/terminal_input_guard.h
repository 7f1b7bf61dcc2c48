#pragma once

#include <QByteArrayView>

#include <functional>

// Stands between the device and libvterm, whose 0.1 releases fail on two
// inputs a device can send: a control sequence with more than 16 numbers
// writes past libvterm's own array (the program would crash), and a request
// to repeat the last character (CSI n b) loops for ever when that character
// took no columns (none was written yet, or it was a combining mark with no
// letter before it). The guard drops the numbers past the 16th, and turns
// such a repeat into a sequence that does nothing; everything else passes
// unchanged, in order. Which character a repeat would take is the one
// libvterm last wrote as text; a screen fill (ESC # 8) writes none.
//
// It follows escape sequences as libvterm reads them, across feeds; so it
// also tells the bytes read as text from those in sequences, and whether
// every character set the device may shift to reads 0x20-0x7e as ASCII.
class TerminalInputGuard
{
public:
    static constexpr int kMostNumbers = 16;

    // Where the guarded bytes go.
    struct Target
    {
        std::function<void(QByteArrayView)> write;
        // Whether the last character written takes columns; asked at each
        // repeat request, after the bytes before it were written.
        std::function<bool()> canRepeat;
        // Writes the end of a screen fill (ESC # 8): the characters it puts
        // are none a repeat would take.
        std::function<void(QByteArrayView)> writeFill;
        // Takes the bytes outside any escape sequence or string, when set
        // (else `write` does): text and control characters, while no UTF-8
        // character came cut off or malformed since the start.
        std::function<void(QByteArrayView)> text = nullptr;
    };

    // Hands `bytes` to `target`, in pieces, in order.
    void pass(QByteArrayView bytes, const Target &target);
    // The start of the stream: no sequence under way.
    void reset() { *this = TerminalInputGuard(); }
    // Whether G0-G3 all read 0x20-0x7e as ASCII: none was designated
    // another set (ESC ( 0 and the like) since the start or a full reset
    // (ESC c), or it was designated ASCII again (ESC ( B).
    bool asciiCharacterSets() const { return m_otherSets == 0; }
    // Whether the bytes passed so far end outside any escape sequence or
    // string: asked as a piece is handed on, it tells whether libvterm will
    // read the next byte from its ground state.
    bool isBetweenSequences() const { return m_state == State::Text && !m_inString; }

private:
    enum class State
    {
        Text,
        Escape,
        EscapeMiddle,
        Sequence
    };

    // The state after `byte`; whether the byte goes on to libvterm.
    bool step(char byte);
    // `step` after ESC or an escape sequence's intermediate byte.
    void stepEscape(char byte);
    // An escape sequence (not a control sequence) ended with `final`.
    void noteEscape(State before, char final);
    // `text` goes to libvterm: notes a UTF-8 character cut off or malformed.
    void noteText(QByteArrayView text);

    State m_state = State::Text;
    int m_separators = 0;         // ';' and ':' of the sequence so far
    bool m_sequenceStart = false; // nothing of the sequence after "ESC ["
    bool m_plainSequence = true;  // no private mark or intermediate byte
    char m_intermediate = 0;      // an escape sequence's first intermediate byte
    int m_intermediates = 0;      // and how many it has
    quint8 m_otherSets = 0;       // bit n: Gn may read ASCII bytes as other characters
    bool m_inString = false;      // after ESC P or ESC ], until the next escape
    bool m_utf8Broken = false;    // a UTF-8 character came cut off: libvterm may hold a part
};
