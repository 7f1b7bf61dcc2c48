#pragma once

#include "core/plot/found_number.h"

#include <QByteArray>
#include <QList>

// The shape of a line of key=value pairs, kept to read the lines after it
// with less work: an instrument sends the same names, units and separators
// line after line, and only its numbers' digits change.
//
// A line fits the shape when it is as long as the shape's line and holds
// the same bytes, except that a digit may stand where the shape's line has
// another digit outside its pairs' names and units. Every byte of it is
// then a digit exactly where the shape's line has one, and the pair search
// decides by nothing else than a byte's kind, so it would find the same
// pairs at the same places, with the same names and units: only their
// numbers need reading.
class PairLineShape
{
public:
    // Where a pair's number starts in the line, and whether it was read
    // with a decimal comma.
    struct NumberPlace
    {
        qsizetype at = 0;
        bool decimalComma = false;
    };

    bool fits(QByteArrayView line) const;
    // The length of the lines that fit (0 before the first take()).
    qsizetype size() const { return m_found.isEmpty() ? 0 : m_bytes.size(); }
    // The pairs of a line that fits(): the shape's names and units, with
    // the line's numbers. The list stays valid until the next take().
    const QList<FoundNumber> &read(QByteArrayView line);
    // Takes the shape of `line`, in which the pair search found `found`
    // (views into `line`), their numbers at `places`.
    void take(QByteArrayView line, const QList<FoundNumber> &found,
              const QList<NumberPlace> &places);
    // Whether a line has fitted since the last take().
    bool wasUsed() const { return m_used; }

private:
    // A pair's number as the lines of this shape write it. Most are up to
    // 15 digits with maybe a decimal point between them, which read
    // without a look at their bytes' kinds: the kinds are the shape's.
    struct NumberReading
    {
        NumberPlace place;
        bool plainDigits = false; // else read as any number
        int wholeDigits = 0;
        int fractionDigits = 0;
    };
    static NumberReading readingOf(QByteArrayView line, NumberPlace place);

    QByteArray m_bytes;         // the line the shape was taken from
    QByteArray m_freeDigits;    // 0xFF where another digit may stand, else 0
    QList<FoundNumber> m_found; // views into m_bytes
    QList<NumberReading> m_readings;
    bool m_used = false;
};
