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
            if (!escape)
                break;
            at = static_cast<const char *>(escape) - data;
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

bool TerminalInputGuard::step(char byte)
{
    const auto code = static_cast<unsigned char>(byte);
    if (byte == kEscape) {
        m_state = State::Escape;
        return true;
    }
    if (byte == kCancel || byte == kSubstitute || code >= 0x80) {
        m_state = State::Text;
        return true;
    }
    if (isControl(code) || code == 0x7f) // done within a sequence, which goes on
        return true;
    switch (m_state) {
    case State::Text:
        return true;
    case State::Escape:
    case State::EscapeMiddle:
        // libvterm starts a sequence at "[" after intermediate bytes too.
        if (byte == '[') {
            m_state = State::Sequence;
            m_separators = 0;
            m_sequenceStart = true;
            m_plainSequence = true;
        } else {
            m_state = code < 0x30 ? State::EscapeMiddle : State::Text;
        }
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
