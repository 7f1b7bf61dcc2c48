#include "core/plot/pair_line_shape.h"

#include "core/plot/plot_number_text.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

bool PairLineShape::fits(QByteArrayView line) const
{
    const qsizetype size = line.size();
    if (size != m_bytes.size() || m_found.isEmpty())
        return false;
    const char *bytes = line.data();
    const char *shape = m_bytes.constData();
    const char *free = m_freeDigits.constData();
    qsizetype at = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: each the shape's byte, or a digit where a
    // digit is free to change. A digit is the one byte that, less '0' + 128,
    // is below -118 as a signed byte.
    const auto fitsAt = [&](qsizetype from) {
        const auto load = [from](const char *p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + from));
        };
        const __m128i chunk = load(bytes);
        const __m128i digit = _mm_cmplt_epi8(_mm_sub_epi8(chunk, _mm_set1_epi8(char('0' + 128))),
                                             _mm_set1_epi8(char(-128 + 10)));
        const __m128i same = _mm_cmpeq_epi8(chunk, load(shape));
        return _mm_movemask_epi8(_mm_or_si128(same, _mm_and_si128(digit, load(free)))) == 0xFFFF;
    };
    for (; at + 16 <= size; at += 16) {
        if (!fitsAt(at))
            return false;
    }
    if (at < size && size >= 16)
        return fitsAt(size - 16); // the last sixteen, some looked at already
#endif
    for (; at < size; ++at) {
        if (bytes[at] != shape[at] && !(free[at] && PlotNumberText::isDigit(bytes[at])))
            return false;
    }
    return true;
}

const QList<FoundNumber> &PairLineShape::read(QByteArrayView line)
{
    m_used = true;
    const char *begin = line.data();
    const char *end = begin + line.size();
    FoundNumber *found = m_found.data();
    for (const NumberReading &reading : std::as_const(m_readings)) {
        const char *digits = begin + reading.place.at;
        double &value = (found++)->value;
        if (!reading.plainDigits) {
            PlotNumberText::scanNumber(digits, end, reading.place.decimalComma, &value);
            continue;
        }
        quint64 mantissa = 0;
        for (int i = 0; i < reading.wholeDigits; ++i)
            mantissa = mantissa * 10 + PlotNumberText::digitValue(digits[i]);
        const char *fraction = digits + reading.wholeDigits + 1; // past the point
        for (int i = 0; i < reading.fractionDigits; ++i)
            mantissa = mantissa * 10 + PlotNumberText::digitValue(fraction[i]);
        value = PlotNumberText::plainValue(mantissa, reading.fractionDigits);
    }
    return m_found;
}

PairLineShape::NumberReading PairLineShape::readingOf(QByteArrayView line, NumberPlace place)
{
    NumberReading reading{place};
    const char *begin = line.data() + place.at;
    const char *end = line.data() + line.size();
    const char *at = begin;
    while (at < end && PlotNumberText::isDigit(*at))
        ++at;
    reading.wholeDigits = int(at - begin);
    if (at + 1 < end && (*at == '.' || (place.decimalComma && *at == ',')) &&
        PlotNumberText::isDigit(at[1])) {
        const char *point = at++;
        while (at < end && PlotNumberText::isDigit(*at))
            ++at;
        reading.fractionDigits = int(at - point - 1);
    }
    // What scanNumber reads without a look further: no sign, no exponent.
    double value = 0;
    reading.plainDigits = reading.wholeDigits > 0 &&
                          reading.wholeDigits + reading.fractionDigits <= 15 &&
                          PlotNumberText::scanNumber(begin, end, place.decimalComma, &value) == at;
    return reading;
}

void PairLineShape::take(QByteArrayView line, const QList<FoundNumber> &found,
                         const QList<NumberPlace> &places)
{
    m_used = false;
    const qsizetype size = line.size();
    // Sized over the shape before, so that a line as long as it or shorter
    // takes no allocation.
    m_bytes.resize(size);
    m_freeDigits.resize(size);
    char *shape = m_bytes.data();
    std::memcpy(shape, line.data(), size_t(size));
    char *free = m_freeDigits.data();
    for (qsizetype i = 0; i < size; ++i)
        free[i] = PlotNumberText::isDigit(shape[i]) ? char(0xFF) : 0;
    // In the shape's own bytes, and no digit of a name or unit is free.
    const auto own = [&](QByteArrayView part) {
        if (part.isEmpty())
            return QByteArrayView();
        const qsizetype at = part.data() - line.data();
        std::memset(free + at, 0, size_t(part.size()));
        return QByteArrayView(shape + at, part.size());
    };
    m_found.resize(found.size());
    for (qsizetype i = 0; i < found.size(); ++i)
        m_found[i] = {own(found.at(i).name), found.at(i).value, own(found.at(i).unit)};
    m_readings.resize(places.size());
    for (qsizetype i = 0; i < places.size(); ++i)
        m_readings[i] = readingOf(line, places.at(i));
}
