#pragma once

#include <QtGlobal>

#include <array>

// The pieces of a number's text in a line, for NumberFinder: the kinds of
// byte, and the reading of a number and of its unit.
namespace PlotNumberText {

// What a byte may be in a number's line, a bit for each.
enum ByteKind : quint8
{
    kDigit = 1,
    kNameStart = 2, // a letter, '_' or a non-ASCII byte
    kNameByte = 4,  // those, digits, '.', '-', '[' or ']'
    kUnitStart = 8, // a letter, '%' or a non-ASCII byte
    kUnitByte = 16, // those, digits, '/' or '^'
    kTokenEnd = 32, // a blank, ',' or ';'
};

constexpr std::array<quint8, 256> byteKinds()
{
    std::array<quint8, 256> kinds{};
    for (int c = 0; c < 256; ++c) {
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool high = c >= 0x80;
        const bool nameStart = letter || c == '_' || high;
        const bool unitStart = letter || c == '%' || high;
        const bool blank =
            c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
        kinds[size_t(c)] = quint8(
            (digit ? kDigit : 0) | (nameStart ? kNameStart : 0) |
            (nameStart || digit || c == '.' || c == '-' || c == '[' || c == ']' ? kNameByte : 0) |
            (unitStart ? kUnitStart : 0) |
            (unitStart || digit || c == '/' || c == '^' ? kUnitByte : 0) |
            (blank || c == ',' || c == ';' ? kTokenEnd : 0));
    }
    return kinds;
}

inline constexpr std::array<quint8, 256> kByteKinds = byteKinds();

inline bool isKind(char c, ByteKind kind)
{
    return (kByteKinds[static_cast<unsigned char>(c)] & kind) != 0;
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of the digit `c`, or one above 9 when `c` is no digit: a test
// and the digit's value in one subtraction.
inline unsigned digitValue(char c)
{
    return unsigned(static_cast<unsigned char>(c)) - '0';
}

inline bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool isHighByte(char c)
{
    return static_cast<unsigned char>(c) >= 0x80;
}

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Reads a number (without its unit) at `p`: an optional sign, digits with
// at most one decimal point ('.', or ',' too with `decimalComma`), an
// optional exponent; or "nan", "inf", "infinity". Returns where it ends, or
// null when there is none. A value beyond a double's range is read as an
// infinity, or zero when tiny.
const char *scanAnyNumber(const char *p, const char *end, bool decimalComma, double *value);

// The value of up to 15 digits, `fractionDigits` of them after a decimal
// point, read as the integer `mantissa`. Both exact in a double, so one
// division rounds as a full conversion does.
inline double plainValue(quint64 mantissa, qsizetype fractionDigits)
{
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    return fractionDigits ? double(mantissa) / kTens[fractionDigits] : double(mantissa);
}

// As scanAnyNumber; inline for the most common numbers: up to 15 digits
// (exact in a double) with maybe a decimal point, no sign nor exponent.
inline const char *scanNumber(const char *p, const char *end, bool decimalComma, double *value)
{
    const char *at = p;
    quint64 mantissa = 0;
    for (unsigned digit; at < end && (digit = digitValue(*at)) <= 9; ++at)
        mantissa = mantissa * 10 + digit;
    const qsizetype whole = at - p;
    const char *point = at;
    if (at + 1 < end && (*at == '.' || (decimalComma && *at == ',')) && isDigit(at[1])) {
        for (unsigned digit; ++at < end && (digit = digitValue(*at)) <= 9;)
            mantissa = mantissa * 10 + digit;
    }
    const qsizetype fraction = at == point ? 0 : at - point - 1;
    if (whole == 0 || whole + fraction > 15 || (at < end && (*at | 0x20) == 'e'))
        return scanAnyNumber(p, end, decimalComma, value);
    *value = plainValue(mantissa, fraction);
    return at;
}

// Reads a unit at `p` (maybe none); returns where it ends, or null when the
// run of unit characters is too long to be one.
inline const char *scanUnit(const char *p, const char *end)
{
    constexpr qsizetype kLongestUnit = 16;
    if (p == end || !isKind(*p, kUnitStart))
        return p;
    const char *start = p++;
    while (p < end && isKind(*p, kUnitByte))
        ++p;
    return p - start > kLongestUnit ? nullptr : p;
}

} // namespace PlotNumberText
