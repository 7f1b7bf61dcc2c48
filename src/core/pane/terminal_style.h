#pragma once

#include <QList>
#include <QtGlobal>

#include <string>

// How a character of the Terminal format looks: its colours and attributes,
// as the device chose them. A colour is either one of the 256 palette
// entries (the view picks their shades) or a 24-bit colour the device sent.
struct TerminalStyle
{
    enum Flag : quint8
    {
        Bold = 1,
        Underline = 2,
        Italic = 4,
        Reverse = 8,
        Strike = 16,
        Blink = 32,
        DefaultForeground = 64, // no colour was chosen: the view's own text colour
        DefaultBackground = 128 // likewise for the background
    };
    // A colour: kPalette | index for a palette entry, else 0xRRGGBB.
    static constexpr quint32 kPalette = 0x1000000;

    quint32 foreground = 0;
    quint32 background = 0;
    quint8 flags = DefaultForeground | DefaultBackground;

    bool operator==(const TerminalStyle &) const = default;
    bool isPlain() const { return *this == TerminalStyle(); }
    bool has(Flag flag) const { return flags & flag; }
    static quint32 paletteColor(int index) { return kPalette | quint32(index & 0xff); }
    void set(Flag flag, bool on) { flags = on ? quint8(flags | flag) : quint8(flags & ~flag); }
    // `color` (kPalette | index, or 0xRRGGBB), or the view's own when `byDefault`.
    void setForeground(quint32 color, bool byDefault)
    {
        set(DefaultForeground, byDefault);
        foreground = byDefault ? 0 : color;
    }
    void setBackground(quint32 color, bool byDefault)
    {
        set(DefaultBackground, byDefault);
        background = byDefault ? 0 : color;
    }
    static bool isPaletteColor(quint32 color) { return color & kPalette; }
};

// A stretch of a line that looks alike: from character `from` to the next
// run's start (or the line's end).
struct TerminalRun
{
    qint32 from = 0;
    TerminalStyle style;
};

// One line of the Terminal format's screen as it scrolled off the top: its
// characters (one per cell; a double-width character takes one entry) with
// the blanks at its end left out, and its looks as runs. A line with no runs
// is plain throughout.
struct TerminalLine
{
    std::u32string text;
    QList<TerminalRun> runs;
};

// One cell of the visible screen. A double-width character's cell has width
// 2 and the cell right of it width 0; an empty cell holds a blank.
struct TerminalCell
{
    char32_t character = U' ';
    quint8 width = 1;
    TerminalStyle style;
};
