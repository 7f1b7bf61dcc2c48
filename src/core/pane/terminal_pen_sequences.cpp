#include "core/pane/terminal_pen_sequences.h"

namespace {

// The attributes SGR turns on and off with a number each.
struct PenFlagCodes
{
    int on;
    int off;
    TerminalStyle::Flag flag;
};
constexpr PenFlagCodes kPenFlagCodes[] = {
    {1, 22, TerminalStyle::Bold},      {3, 23, TerminalStyle::Italic},
    {4, 24, TerminalStyle::Underline}, {5, 25, TerminalStyle::Blink},
    {7, 27, TerminalStyle::Reverse},   {9, 29, TerminalStyle::Strike},
};

// One SGR number applied to `pen`; false for one this reader leaves to libvterm.
bool applyPenCode(int code, TerminalStyle &pen)
{
    if (code == 0) {
        pen = TerminalStyle();
        return true;
    }
    for (const PenFlagCodes &codes : kPenFlagCodes) {
        if (code == codes.on || code == codes.off) {
            pen.set(codes.flag, code == codes.on);
            return true;
        }
    }
    const auto palette = TerminalStyle::paletteColor;
    if (code == 39)
        pen.setForeground(0, true);
    else if (code == 49)
        pen.setBackground(0, true);
    else if (code >= 30 && code <= 37)
        pen.setForeground(palette(code - 30), false);
    else if (code >= 40 && code <= 47)
        pen.setBackground(palette(code - 40), false);
    else if (code >= 90 && code <= 97)
        pen.setForeground(palette(code - 90 + 8), false);
    else if (code >= 100 && code <= 107)
        pen.setBackground(palette(code - 100 + 8), false);
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
