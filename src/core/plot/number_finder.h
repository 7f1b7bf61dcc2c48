#pragma once

#include "core/plot/found_number.h"
#include "core/plot/pair_line_shape.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QRegularExpression>
#include <QString>

// Finds the numbers an instrument writes in a line of text, for plotting.
//
// Automatic (no pattern), a line is read in one of two ways:
//  - key=value pairs (also "key: value"): `T=23.41C P=1013.2hPa RH=41%`
//    gives T = 23.41 (unit C), P = 1013.2 (hPa), RH = 41 (%). Once a line
//    holds one pair, only its pairs count.
//  - separated columns: the line's separator is ';' if it holds one, else a
//    tab if it holds one, else ',' if it holds one, else runs of blanks.
//    Column N (counting from 1, empty and wordy columns too) is series "N",
//    or the name a header line gave it: a line of at least two columns,
//    all names, with the same separator (`time;temp [C];hum (%)` names
//    columns 2 and 3 "temp", unit C, and "hum", unit %).
// A number is an optional sign, digits with at most one decimal point, an
// optional exponent, then an optional unit (a letter, '%' or a non-ASCII
// character, then up to 15 more of those, digits, '/' or '^'); "nan" and
// "inf" are numbers too (a nan is a gap in the series). Anything else
// attached to it (`12:30`, `1.234.567`, `0x1F` aside from its unit) means
// no number. A decimal comma is read only in lines separated by ';' or
// tabs; thousands separators are never guessed. A line with no number
// gives nothing.
//
// With a pattern (a regular expression with named groups), every match in
// the line gives one number per named group that matched a number (with
// an optional unit; a decimal comma is read), named after the group.
class NumberFinder
{
public:
    NumberFinder();

    // Empty: automatic. Returns why a pattern cannot be used (not a valid
    // expression, or no named group), and keeps the one before then.
    QString setPattern(const QString &pattern);
    QString pattern() const { return m_regex.pattern(); }

    // The numbers in `line` (without its line break), in the line's order.
    // Inline for the most common lines: key=value pairs, no pattern.
    const QList<FoundNumber> &find(QByteArrayView line)
    {
        if (!m_hasPattern && m_shape.fits(line))
            return findShaped(line);
        m_namesAsBefore = m_shapeNamesLast = false;
        if (m_hasPattern)
            return findByPattern(line);
        findPairs(line);
        if (m_found.isEmpty())
            return findColumns(line);
        keepShape(line);
        return m_found;
    }
    // Whether the numbers the last find() gave have, place by place, the
    // names of those the find() before it gave (lines of one shape).
    bool namesAsBefore() const { return m_namesAsBefore; }
    // A line shaped like the last line of pairs found (see PairLineShape)
    // at the start of `text`, and followed by more of it: its length, or 0
    // when there is none. Lets a reader of lines that knows their breaks
    // take such a line without a search for its end: a line that fits
    // holds the same bytes as the shape's but for digits, so no break
    // either when the lines given to find() hold none.
    qsizetype shapedLineAt(QByteArrayView text) const
    {
        const qsizetype size = m_shape.size();
        return !m_hasPattern && size > 0 && text.size() > size && m_shape.fits(text.first(size))
                   ? size
                   : 0;
    }
    // The numbers of a line that shapedLineAt() found, as find() gives.
    const QList<FoundNumber> &findShaped(QByteArrayView line)
    {
        m_namesAsBefore = m_shapeNamesLast;
        m_shapeNamesLast = true;
        return m_shape.read(line);
    }
    // Forgets the header line's names.
    void forgetHeader();

private:
    void findPairs(QByteArrayView line);
    // Takes the shape of a line of pairs, unless the shape before is of
    // no use to lines of many shapes (it fitted no line since it was taken)
    // and was taken only a few lines ago.
    void keepShape(QByteArrayView line);
    // The line's columns, by the separator it holds.
    const QList<FoundNumber> &findColumns(QByteArrayView line);
    void findColumns(QByteArrayView line, char separator);
    const QList<FoundNumber> &findByPattern(QByteArrayView line);
    QByteArrayView columnName(qsizetype column);

    QList<FoundNumber> m_found;
    QList<PairLineShape::NumberPlace> m_places; // of the pairs in m_found
    PairLineShape m_shape;
    int m_linesSinceShape = 0;
    bool m_shapeNamesLast = false; // the last find() gave the shape's names
    bool m_namesAsBefore = false;
    QRegularExpression m_regex;
    bool m_hasPattern = false;
    QList<QByteArray> m_groupNames;
    QList<QByteArray> m_groupTexts;  // the matched text of the line being read
    QList<QByteArray> m_columnNames; // "1", "2", ...
    // The last header line: its separator, names and units.
    char m_headerSeparator = 0;
    QList<QByteArray> m_headerNames;
    QList<QByteArray> m_headerUnits;
};

// Reads one number with its unit from the start of `text`; the number must
// fill `text` (up to its unit). False when `text` is no number.
bool readPlotNumber(QByteArrayView text, bool decimalComma, double *value, QByteArrayView *unit);
