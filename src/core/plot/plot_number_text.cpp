#include "core/plot/plot_number_text.h"

#include <QtGlobal>

#include <charconv>
#include <limits>
#include <string>

namespace {

// A number's text longer than this is taken for no number.
constexpr qsizetype kLongestNumberText = 400;
// Digits that always fit a 64-bit integer.
constexpr qsizetype kMostExactDigits = 19;
// The largest integer and power of ten a double holds exactly.
constexpr quint64 kLargestExactInteger = quint64(1) << 53;
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool startsWithPlotWord(const char *p, const char *end, const char *word)
{
    for (; *word; ++word, ++p) {
        if (p == end || (*p | 0x20) != *word)
            return false;
    }
    return true;
}

// "nan", "inf" or "infinity" at `p` (after the sign); where it ends, or null.
const char *scanPlotWord(const char *p, const char *end, bool negative, double *value)
{
    for (const char *word : {"infinity", "inf", "nan"}) {
        if (startsWithPlotWord(p, end, word)) {
            if (word[0] == 'n')
                *value = std::numeric_limits<double>::quiet_NaN();
            else
                *value = negative ? -std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::infinity();
            return p + std::char_traits<char>::length(word);
        }
    }
    return nullptr;
}

// Converts the number's text [start, end) (a sign, digits, a decimal point
// or comma, an exponent), rounded to the nearest double. False when the
// conversion takes less than the whole text.
bool convertPlotNumberText(const char *start, const char *end, double *value)
{
    const bool negative = *start == '-';
    bool exponentNegative = false;
    char text[kLongestNumberText];
    qsizetype length = 0;
    for (const char *c = start; c < end; ++c) {
        exponentNegative |= *c == '-' && c > start; // only an exponent's sign follows
        if (*c != '+')
            text[length++] = *c == ',' ? '.' : *c;
    }
    bool wholeIsZero = true;
    for (const char *c = start + (*start == '+' || negative);
         c < end && PlotNumberText::isDigit(*c); ++c)
        wholeIsZero &= *c == '0';
    const auto [ptr, ec] = std::from_chars(text, text + length, *value);
    if (ec == std::errc::result_out_of_range) {
        const bool tiny = exponentNegative || wholeIsZero;
        *value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        if (negative)
            *value = -*value;
        return true;
    }
    return ec == std::errc() && ptr == text + length;
}

} // namespace

namespace PlotNumberText {

const char *scanAnyNumber(const char *p, const char *end, bool decimalComma, double *value)
{
    const char *start = p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    if (p < end && ((*p | 0x20) == 'i' || (*p | 0x20) == 'n'))
        return scanPlotWord(p, end, negative, value);
    const char *digits = p;
    quint64 mantissa = 0; // exact while there are at most kMostExactDigits digits
    while (p < end && isDigit(*p))
        mantissa = mantissa * 10 + quint64(*p++ - '0');
    qsizetype digitCount = p - digits;
    qsizetype fractionDigits = 0;
    if (p + 1 < end && (*p == '.' || (decimalComma && *p == ',')) && isDigit(p[1])) {
        for (++p; p < end && isDigit(*p); ++p, ++fractionDigits)
            mantissa = mantissa * 10 + quint64(*p - '0');
        digitCount += fractionDigits;
    }
    if (digitCount == 0)
        return nullptr;
    bool exponent = false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char *at = p + 1;
        if (at < end && (*at == '+' || *at == '-'))
            ++at;
        exponent = at < end && isDigit(*at);
        while (at < end && isDigit(*at))
            p = ++at;
    }
    if (p - start > kLongestNumberText)
        return nullptr;
    if (!exponent && digitCount <= kMostExactDigits && mantissa <= kLargestExactInteger &&
        fractionDigits < qsizetype(std::size(kExactPowersOfTen))) {
        // Both exact, so one division rounds as a full conversion does.
        *value = double(mantissa) / kExactPowersOfTen[fractionDigits];
        if (negative)
            *value = -*value;
        return p;
    }
    return convertPlotNumberText(start, p, value) ? p : nullptr;
}

} // namespace PlotNumberText
