#include "core/pane/terminal_input_guard.h"

#include <cstring>
#include <utility>

namespace {

constexpr char kEscape = '\x1b';
constexpr char kCancel = '\x18';
constexpr char kSubstitute = '\x1a';
constexpr char kRepeatFinal = 'b';
constexpr char kFillFinal = '8'; // of ESC # 8, which fills the screen with "E"
// A final byte libvterm knows no command for: the sequence then does nothing.
constexpr char kIgnoredFinal = '~';

bool isControl(unsigned char byte)
{
    return byte < 0x20;
}

} // namespace

void TerminalInputGuard::pass(QByteArrayView bytes, const Target &target)
{
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype from = 0; // the first byte not yet written
    const auto writeUpTo = [&](qsizetype end) {
        if (end > from)
            target.write(QByteArrayView(data + from, end - from));
        from = end + 1;
    };
    for (qsizetype at = 0; at < size; ++at) {
        if (m_state == State::Text) {
            // Text is most of a console's output: skip to the next escape.
            const void *escape = std::memchr(data + at, kEscape, size_t(size - at));
            const qsizetype end = escape ? static_cast<const char *>(escape) - data : size;
            // Text goes on its own while libvterm can hold no part of a
            // UTF-8 character: none came broken since the start.
            noteText(QByteArrayView(data + at, end - at));
            if (target.text && end > at && !m_utf8Broken && !m_inString) {
                writeUpTo(at); // the sequence before it
                target.text(QByteArrayView(data + at, end - at));
                from = end;
            }
            if (!escape)
                break;
            at = end;
        }
        const State before = m_state;
        const char byte = data[at];
        const bool keep = step(byte);
        if (before == State::Sequence && byte == kRepeatFinal && m_plainSequence) {
            writeUpTo(at);
            const bool repeat = target.canRepeat();
            target.write(repeat ? QByteArrayView(data + at, 1) : QByteArrayView(&kIgnoredFinal, 1));
        } else if (before == State::EscapeMiddle && byte == kFillFinal) {
            writeUpTo(at);
            target.writeFill(QByteArrayView(data + at, 1));
        } else if (!keep) {
            writeUpTo(at);
        }
    }
    if (from < size)
        target.write(QByteArrayView(data + from, size - from));
}

void TerminalInputGuard::noteText(QByteArrayView text)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype size = text.size();
    unsigned char any = 0;
    for (qsizetype at = 0; at < size; ++at)
        any |= bytes[at];
    if (any < 0x80 || m_utf8Broken)
        return; // ASCII only, the most common case
    for (qsizetype at = 0; at < size; ++at) {
        const unsigned char lead = bytes[at];
        if (lead < 0x80)
            continue;
        const qsizetype length = lead >= 0xc2 && lead <= 0xdf   ? 2
                                 : lead >= 0xe0 && lead <= 0xef ? 3
                                 : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                                : 0;
        bool whole = length > 0 && at + length <= size;
        for (qsizetype i = 1; whole && i < length; ++i)
            whole = (bytes[at + i] & 0xc0) == 0x80;
        if (!whole) {
            m_utf8Broken = true;
            return;
        }
        at += length - 1;
    }
}

void TerminalInputGuard::noteEscape(State before, char final)
{
    constexpr quint8 allSets = 0x0f;
    if (before == State::Escape) {
        if (final == 'c') // a full reset: every set is ASCII again
            m_otherSets = 0;
        // A device control or operating system command string: libvterm
        // loses one that comes in two writes.
        m_inString = final == 'P' || final == ']';
        return;
    }
    const int set = m_intermediate - '(';
    if (m_intermediates == 1 && set >= 0 && set < 4) {
        const quint8 bit = quint8(1u << set);
        m_otherSets = final == 'B' ? quint8(m_otherSets & ~bit) : quint8(m_otherSets | bit);
    } else if (std::memchr("()*+-./%", m_intermediate, 8)) {
        m_otherSets = allSets; // a designation of a kind libvterm may read otherwise
    }
}

void TerminalInputGuard::stepEscape(char byte)
{
    // libvterm starts a sequence at "[" after intermediate bytes too.
    if (byte == '[') {
        m_state = State::Sequence;
        m_separators = 0;
        m_sequenceStart = true;
        m_plainSequence = true;
    } else if (static_cast<unsigned char>(byte) < 0x30) {
        if (m_state == State::Escape) {
            m_intermediate = byte;
            m_intermediates = 0;
        }
        ++m_intermediates;
        m_state = State::EscapeMiddle;
    } else {
        noteEscape(m_state, byte);
        m_state = State::Text;
    }
}

bool TerminalInputGuard::step(char byte)
{
    const auto code = static_cast<unsigned char>(byte);
    if (byte == kEscape) {
        m_state = State::Escape;
        m_inString = false; // libvterm ends a string at any escape
        return true;
    }
    if (byte == kCancel || byte == kSubstitute || code >= 0x80) {
        m_state = State::Text;
        if (code >= 0x80)
            m_utf8Broken = true; // libvterm takes it as text, cut off
        return true;
    }
    if (isControl(code) || code == 0x7f) // done within a sequence, which goes on
        return true;
    switch (m_state) {
    case State::Text:
        return true;
    case State::Escape:
    case State::EscapeMiddle:
        stepEscape(byte);
        return true;
    case State::Sequence:
        break;
    }
    const bool start = std::exchange(m_sequenceStart, false);
    if (code < 0x30) { // an intermediate byte
        m_plainSequence = false;
        return true;
    }
    if (code >= 0x40) { // the final byte
        m_state = State::Text;
        return true;
    }
    if (code >= 0x3c) { // a private mark: only first, else it ends the sequence
        m_plainSequence = false;
        if (!start)
            m_state = State::Text;
        return true;
    }
    if (byte == ';' || byte == ':')
        ++m_separators;
    return m_separators < kMostNumbers;
}
