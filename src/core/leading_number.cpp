#include "core/leading_number.h"

#include <QByteArray>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace LeadingNumber {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

QByteArray withoutBlanks(const QString &text)
{
    QByteArray kept;
    kept.reserve(text.size());
    for (const QChar ch : text) {
        if (ch == u' ' || ch == u'\t' || ch == u'\n')
            continue;
        // Anything outside Latin-1 can't continue a number; keep a stand-in
        // that stops the reading at the right place.
        kept.append(ch.unicode() < 0x80 ? char(ch.unicode()) : '\x7f');
    }
    return kept;
}

double readRadix(const QByteArray &s, qsizetype pos, int radix)
{
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        int digit = -1;
        if (isDigit(c))
            digit = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= radix)
            break;
        value = value * radix + digit;
    }
    return value;
}

} // namespace

double read(const QString &text)
{
    const QByteArray s = withoutBlanks(text);
    if (s.size() >= 2 && s[0] == '&') {
        const char prefix = s[1];
        if (prefix == 'h' || prefix == 'H')
            return readRadix(s, 2, 16);
        if (prefix == 'o' || prefix == 'O')
            return readRadix(s, 2, 8);
        return 0;
    }

    // Find the longest prefix that is a decimal number, then let strtod
    // convert exactly that prefix.
    qsizetype pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
        ++pos;
    qsizetype digits = 0;
    while (pos < s.size() && isDigit(s[pos]))
        ++pos, ++digits;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        while (pos < s.size() && isDigit(s[pos]))
            ++pos, ++digits;
    }
    if (digits == 0)
        return 0;
    qsizetype end = pos;
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        qsizetype exp = pos + 1;
        if (exp < s.size() && (s[exp] == '+' || s[exp] == '-'))
            ++exp;
        if (exp < s.size() && isDigit(s[exp])) {
            while (exp < s.size() && isDigit(s[exp]))
                ++exp;
            end = exp;
        }
    }
    // strtod gives infinity for a number too large for a double (which a
    // 16-bit reader then refuses) rather than failing; it reads the C
    // library's locale, so hand it that locale's decimal point.
    QByteArray number = s.left(end);
    const char *point = std::localeconv()->decimal_point;
    if (point && *point && std::strcmp(point, ".") != 0)
        number.replace(".", point);
    return std::strtod(number.constData(), nullptr);
}

std::optional<qint16> toInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = std::nearbyint(value); // default rounding: half to even
    if (whole < -32768.0 || whole > 32767.0)
        return std::nullopt;
    return static_cast<qint16>(whole);
}

} // namespace LeadingNumber
