// Numbers typed by the operator: LeadingNumber::read and toInt16 must take
// any text, and read it from its start as a number.
#include "core/leading_number.h"

#include <QByteArray>
#include <QString>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what, const QString &text, double value)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s: text \"%s\" read as %.17g\n", what, text.toUtf8().constData(), value);
    std::abort();
}

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

QByteArray withoutBlanks(const QString &text)
{
    QByteArray kept;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n')
            continue;
        kept.append(c.unicode() < 0x80 ? char(c.unicode()) : '\x7f');
    }
    return kept;
}

// The decimal number `s` starts with, described by its sign, whether any
// digit is non-zero, and its order of magnitude: the power of ten of its
// first non-zero digit. Returns false when `s` starts with no number.
bool decimalPrefix(const QByteArray &s, bool *negative, bool *nonZero, long long *magnitude)
{
    qsizetype pos = 0;
    *negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
        *negative = s[pos++] == '-';
    long long firstNonZero = 0; // power of ten of the first non-zero digit
    bool found = false;
    qsizetype digits = 0;
    qsizetype intDigits = 0;
    while (pos < s.size() && isDigit(s[pos])) {
        if (!found && s[pos] != '0') {
            found = true;
            firstNonZero = -digits; // fixed up below, once the length is known
        }
        ++pos, ++digits, ++intDigits;
    }
    if (found)
        firstNonZero += intDigits - 1;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        qsizetype fraction = 0;
        while (pos < s.size() && isDigit(s[pos])) {
            ++fraction;
            if (!found && s[pos] != '0') {
                found = true;
                firstNonZero = -fraction;
            }
            ++pos, ++digits;
        }
    }
    if (digits == 0)
        return false;
    long long exponent = 0;
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        qsizetype at = pos + 1;
        bool minus = false;
        if (at < s.size() && (s[at] == '+' || s[at] == '-'))
            minus = s[at++] == '-';
        while (at < s.size() && isDigit(s[at])) {
            exponent = std::min<long long>(exponent * 10 + (s[at] - '0'), 1000000);
            ++at;
        }
        if (minus)
            exponent = -exponent;
    }
    *nonZero = found;
    *magnitude = firstNonZero + exponent;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const char *bytes = reinterpret_cast<const char *>(data) + 1;
    const qsizetype length = qsizetype(size - 1);
    const QString text =
        (data[0] & 1) ? QString::fromLatin1(bytes, length) : QString::fromUtf8(bytes, length);

    const double value = LeadingNumber::read(text);
    check(!std::isnan(value), "a number is never NaN", text, value);

    // Blanks, tabs and line feeds count nowhere.
    QString bare = text;
    bare.remove(u' ').remove(u'\t').remove(u'\n');
    check(same(LeadingNumber::read(bare), value), "blanks change the number", text, value);
    check(same(LeadingNumber::read(QStringLiteral(" \t") + text), value),
          "leading blanks change the number", text, value);

    const QByteArray s = withoutBlanks(text);
    bool negative = false;
    bool nonZero = false;
    long long magnitude = 0;
    if (s.startsWith('&')) {
        // &H / &O: a whole number, never negative.
        check(value >= 0, "&H or &O read as negative", text, value);
        if (s.size() >= 3 && (s[1] == 'h' || s[1] == 'H')) {
            const QByteArray run = s.mid(2, 12);
            bool ok = false;
            const qulonglong expected = run.toULongLong(&ok, 16);
            qsizetype digits = 0;
            while (digits < run.size() && std::isxdigit(static_cast<unsigned char>(run[digits])))
                ++digits;
            if (digits == run.size() && digits > 0 &&
                (s.size() == 2 + digits ||
                 !std::isxdigit(static_cast<unsigned char>(s[2 + digits]))))
                check(ok && value == double(expected), "&H number misread", text, value);
        }
    } else if (decimalPrefix(s, &negative, &nonZero, &magnitude)) {
        if (!nonZero) {
            check(value == 0, "zero misread", text, value);
        } else {
            // Within double's range the size must match the digits; beyond it
            // the number is infinite (or at least enormous), never zero. One
            // too small for a double may read as a zero of either sign.
            const double size = std::fabs(value);
            if (magnitude >= -300)
                check(std::signbit(value) == negative, "sign lost", text, value);
            if (magnitude >= 308)
                check(size > 1e300, "a huge number read as small", text, value);
            else if (magnitude >= -300)
                check(size >= 0.99 * std::pow(10.0, double(magnitude)) &&
                          size < 10.01 * std::pow(10.0, double(magnitude)),
                      "number read with the wrong size", text, value);
        }
    } else {
        check(value == 0, "no number must read as 0", text, value);
    }

    // To a 16-bit whole number: the nearest one, a half to the even one.
    const std::optional<qint16> whole = LeadingNumber::toInt16(value);
    if (whole) {
        check(std::isfinite(value) && std::fabs(*whole - value) <= 0.5, "toInt16 not nearest", text,
              value);
        if (std::fabs(*whole - value) == 0.5)
            check(*whole % 2 == 0, "a half not to the even neighbour", text, value);
    } else {
        check(!std::isfinite(value) || std::nearbyint(value) < -32768 ||
                  std::nearbyint(value) > 32767,
              "toInt16 refused a number in range", text, value);
    }
    return 0;
}
