#include "core/pane/terminal_pen_sequences.h"

namespace {

void setPenFlag(TerminalStyle &pen, TerminalStyle::Flag flag, bool on)
{
    pen.flags = on ? quint8(pen.flags | flag) : quint8(pen.flags & ~flag);
}

void setPenForeground(TerminalStyle &pen, int index)
{
    setPenFlag(pen, TerminalStyle::DefaultForeground, index < 0);
    pen.foreground = index < 0 ? 0 : TerminalStyle::paletteColor(index);
}

void setPenBackground(TerminalStyle &pen, int index)
{
    setPenFlag(pen, TerminalStyle::DefaultBackground, index < 0);
    pen.background = index < 0 ? 0 : TerminalStyle::paletteColor(index);
}

// One SGR number applied to `pen`; false for one this reader leaves to libvterm.
bool applyPenCode(int code, TerminalStyle &pen)
{
    switch (code) {
    case 0:
        pen = TerminalStyle();
        return true;
    case 1:
    case 22:
        setPenFlag(pen, TerminalStyle::Bold, code == 1);
        return true;
    case 3:
    case 23:
        setPenFlag(pen, TerminalStyle::Italic, code == 3);
        return true;
    case 4:
    case 24:
        setPenFlag(pen, TerminalStyle::Underline, code == 4);
        return true;
    case 5:
    case 25:
        setPenFlag(pen, TerminalStyle::Blink, code == 5);
        return true;
    case 7:
    case 27:
        setPenFlag(pen, TerminalStyle::Reverse, code == 7);
        return true;
    case 9:
    case 29:
        setPenFlag(pen, TerminalStyle::Strike, code == 9);
        return true;
    case 39:
        setPenForeground(pen, -1);
        return true;
    case 49:
        setPenBackground(pen, -1);
        return true;
    default:
        break;
    }
    if (code >= 30 && code <= 37)
        setPenForeground(pen, code - 30);
    else if (code >= 40 && code <= 47)
        setPenBackground(pen, code - 40);
    else if (code >= 90 && code <= 97)
        setPenForeground(pen, code - 90 + 8);
    else if (code >= 100 && code <= 107)
        setPenBackground(pen, code - 100 + 8);
    else
        return false;
    return true;
}

} // namespace

namespace TerminalPenSequences {

bool apply(QByteArrayView bytes, TerminalStyle &pen, bool *startsWithReset)
{
    TerminalStyle changed = pen;
    bool firstCode = true;
    bool reset = false;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 3 || bytes[at] != '\x1b' || bytes[at + 1] != '[')
            return false;
        at += 2;
        // Numbers separated by ';', up to the 'm'.
        while (true) {
            int code = 0;
            int digits = 0;
            while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && digits < 4) {
                code = code * 10 + (bytes[at++] - '0');
                ++digits;
            }
            if (at == bytes.size() || (bytes[at] != ';' && bytes[at] != 'm'))
                return false;
            // An empty number is a reset only as the whole sequence (ESC [ m).
            if (digits == 0 && !(bytes[at] == 'm' && bytes[at - 1] == '['))
                return false;
            if (!applyPenCode(code, changed))
                return false;
            if (firstCode)
                reset = code == 0;
            firstCode = false;
            if (bytes[at++] == 'm')
                break;
        }
    }
    if (firstCode)
        return false; // nothing at all
    pen = changed;
    *startsWithReset = reset;
    return true;
}

} // namespace TerminalPenSequences
