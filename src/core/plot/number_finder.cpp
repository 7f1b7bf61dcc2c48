#include "core/plot/number_finder.h"

#include "core/first_of_bytes.h"
#include "core/plot/plot_number_text.h"

#include <algorithm>
#include <cstring>

namespace {

// Matches of a pattern read per line: a pattern that matches everywhere
// cannot make one line cost without bound.
constexpr int kMostPatternMatches = 64;
// Lines of pairs read before a shape that fitted none is replaced.
constexpr int kLinesPerUnusedShape = 8;

// The next '=' or ':' from `p` on, or `end`.
const char *nextPlotPairMark(const char *p, const char *end)
{
    return p + firstOfBytes(p, end - p, '=', ':');
}

bool hasPlotDecimalComma(QByteArrayView line)
{
    return std::memchr(line.data(), ';', size_t(line.size())) ||
           std::memchr(line.data(), '\t', size_t(line.size()));
}

// Where a number of a key=value pair or a blank-separated column may end.
bool endsPlotToken(const char *p, const char *end)
{
    return p == end || PlotNumberText::isKind(*p, PlotNumberText::kTokenEnd);
}

bool isPlotNameStart(char c)
{
    return PlotNumberText::isKind(c, PlotNumberText::kNameStart);
}

bool isPlotNameByte(char c)
{
    return PlotNumberText::isKind(c, PlotNumberText::kNameByte);
}

QByteArrayView trimmedPlotField(QByteArrayView field)
{
    field = field.trimmed();
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.sliced(1, field.size() - 2).trimmed();
    return field;
}

// A header's column: a name, with its unit in brackets after it.
bool readPlotHeaderName(QByteArrayView field, QByteArray *name, QByteArray *unit)
{
    if (field.isEmpty() || field.size() > 64 || !isPlotNameStart(field.front()))
        return false;
    for (const char c : field) {
        if (c == '=' || c == ':')
            return false;
    }
    QByteArrayView base = field;
    QByteArrayView inBrackets;
    const char close = field.back();
    if (close == ']' || close == ')') {
        const qsizetype open = field.lastIndexOf(close == ']' ? '[' : '(');
        if (open > 0) {
            base = field.first(open).trimmed();
            inBrackets = field.sliced(open + 1, field.size() - open - 2).trimmed();
        }
    }
    *name = base.toByteArray();
    *unit = inBrackets.toByteArray();
    return !name->isEmpty();
}

} // namespace

bool readPlotNumber(QByteArrayView text, bool decimalComma, double *value, QByteArrayView *unit)
{
    const char *end = text.data() + text.size();
    const char *afterNumber = PlotNumberText::scanNumber(text.data(), end, decimalComma, value);
    if (!afterNumber)
        return false;
    const char *afterUnit = PlotNumberText::scanUnit(afterNumber, end);
    if (afterUnit != end)
        return false;
    *unit = QByteArrayView(afterNumber, afterUnit - afterNumber);
    // 0x1F is a hexadecimal number, not zero in unit "x1F".
    return !(unit->size() > 0 && (unit->front() | 0x20) == 'x' && afterNumber == text.data() + 1 &&
             text.front() == '0');
}

NumberFinder::NumberFinder() = default;

QString NumberFinder::setPattern(const QString &pattern)
{
    if (pattern.isEmpty()) {
        m_regex = QRegularExpression();
        m_hasPattern = false;
        m_groupNames.clear();
        return {};
    }
    QRegularExpression regex(pattern);
    if (!regex.isValid())
        return regex.errorString();
    QList<QByteArray> names;
    bool named = false;
    for (const QString &name : regex.namedCaptureGroups()) {
        names.append(name.toUtf8());
        named |= !name.isEmpty();
    }
    if (!named)
        return QStringLiteral("no named group, such as (?<T>[0-9.]+)");
    m_regex = regex;
    m_hasPattern = true;
    m_groupNames = names;
    m_found.clear();
    return {};
}

void NumberFinder::forgetHeader()
{
    m_headerSeparator = 0;
    m_headerNames.clear();
    m_headerUnits.clear();
}

const QList<FoundNumber> &NumberFinder::findColumns(QByteArrayView line)
{
    const size_t size = size_t(line.size());
    char separator = ' ';
    if (std::memchr(line.data(), ';', size))
        separator = ';';
    else if (std::memchr(line.data(), '\t', size))
        separator = '\t';
    else if (std::memchr(line.data(), ',', size))
        separator = ',';
    findColumns(line, separator);
    return m_found;
}

void NumberFinder::keepShape(QByteArrayView line)
{
    if (m_shape.size() == 0 || m_shape.wasUsed() || m_linesSinceShape >= kLinesPerUnusedShape) {
        m_shape.take(line, m_found, m_places);
        m_linesSinceShape = 0;
        m_shapeNamesLast = true;
    }
    ++m_linesSinceShape;
}

void NumberFinder::findPairs(QByteArrayView line)
{
    // Written over the numbers of the line before: no growth of the lists
    // for a line of as many pairs.
    qsizetype count = 0;
    if (m_places.size() != m_found.size())
        m_places.resize(m_found.size()); // the list was another reading's
    qsizetype room = m_found.size();
    FoundNumber *found = room > 0 ? m_found.data() : nullptr;
    PairLineShape::NumberPlace *places = room > 0 ? m_places.data() : nullptr;
    int decimalComma = -1; // not yet known
    const char *begin = line.data();
    const char *end = begin + line.size();
    for (const char *p = nextPlotPairMark(begin, end); p < end; p = nextPlotPairMark(p + 1, end)) {
        const char *nameEnd = p;
        while (nameEnd > begin && nameEnd[-1] == ' ')
            --nameEnd;
        const char *nameStart = nameEnd;
        while (nameStart > begin && isPlotNameByte(nameStart[-1]))
            --nameStart;
        while (nameStart < nameEnd && !isPlotNameStart(*nameStart))
            ++nameStart;
        if (nameStart == nameEnd)
            continue;
        const char *at = p + 1;
        while (at < end && *at == ' ')
            ++at;
        double value = 0;
        bool readComma = false;
        const char *afterNumber = PlotNumberText::scanNumber(at, end, false, &value);
        // Only a number stopped by a comma before a digit reads otherwise
        // in a line with a decimal comma (one with ';' or a tab).
        if (afterNumber && afterNumber + 1 < end && *afterNumber == ',' &&
            PlotNumberText::isDigit(afterNumber[1])) {
            if (decimalComma < 0)
                decimalComma = hasPlotDecimalComma(line);
            readComma = decimalComma != 0;
            if (readComma)
                afterNumber = PlotNumberText::scanNumber(at, end, true, &value);
        }
        if (!afterNumber)
            continue;
        const char *afterUnit = PlotNumberText::scanUnit(afterNumber, end);
        if (!afterUnit || !endsPlotToken(afterUnit, end))
            continue;
        const FoundNumber number{QByteArrayView(nameStart, nameEnd - nameStart), value,
                                 QByteArrayView(afterNumber, afterUnit - afterNumber)};
        const PairLineShape::NumberPlace place{at - begin, readComma};
        if (count < room) {
            found[count] = number;
            places[count] = place;
        } else {
            m_found.append(number);
            m_places.append(place);
            found = m_found.data();
            places = m_places.data();
            room = m_found.size();
        }
        ++count;
        p = afterUnit - 1;
    }
    if (count < m_found.size()) {
        m_found.resize(count);
        m_places.resize(count);
    }
}

QByteArrayView NumberFinder::columnName(qsizetype column)
{
    while (m_columnNames.size() <= column)
        m_columnNames.append(QByteArray::number(m_columnNames.size() + 1));
    return m_columnNames.at(column);
}

void NumberFinder::findColumns(QByteArrayView line, char separator)
{
    const bool decimalComma = separator == ';' || separator == '\t';
    const bool namedColumns = separator == m_headerSeparator;
    QList<QByteArrayView> fields;
    if (separator == ' ') {
        for (qsizetype at = 0; at < line.size();) {
            while (at < line.size() && PlotNumberText::isBlank(line.at(at)))
                ++at;
            qsizetype end = at;
            while (end < line.size() && !PlotNumberText::isBlank(line.at(end)))
                ++end;
            if (end > at)
                fields.append(trimmedPlotField(line.sliced(at, end - at)));
            at = end;
        }
    } else {
        for (qsizetype at = 0; at <= line.size();) {
            qsizetype end = line.indexOf(separator, at);
            if (end < 0)
                end = line.size();
            fields.append(trimmedPlotField(line.sliced(at, end - at)));
            at = end + 1;
        }
    }
    for (qsizetype column = 0; column < fields.size(); ++column) {
        double value = 0;
        QByteArrayView unit;
        if (!readPlotNumber(fields.at(column), decimalComma, &value, &unit))
            continue;
        const bool named = namedColumns && column < m_headerNames.size();
        if (named && unit.isEmpty())
            unit = m_headerUnits.at(column);
        m_found.append(
            {named ? QByteArrayView(m_headerNames.at(column)) : columnName(column), value, unit});
    }
    if (!m_found.isEmpty() || fields.size() < 2)
        return;
    QList<QByteArray> names;
    QList<QByteArray> units;
    for (const QByteArrayView field : fields) {
        QByteArray name;
        QByteArray unit;
        if (!readPlotHeaderName(field, &name, &unit))
            return;
        names.append(name);
        units.append(unit);
    }
    m_headerSeparator = separator;
    m_headerNames = names;
    m_headerUnits = units;
}

const QList<FoundNumber> &NumberFinder::findByPattern(QByteArrayView line)
{
    m_found.clear();
    m_groupTexts.clear();
    const QString text = QString::fromUtf8(line);
    QRegularExpressionMatchIterator matches = m_regex.globalMatch(text);
    for (int count = 0; count < kMostPatternMatches && matches.hasNext(); ++count) {
        const QRegularExpressionMatch match = matches.next();
        for (qsizetype group = 1; group < m_groupNames.size(); ++group) {
            if (m_groupNames.at(group).isEmpty() || match.capturedLength(group) <= 0)
                continue;
            m_groupTexts.append(match.captured(group).trimmed().toUtf8());
            double value = 0;
            QByteArrayView unit;
            if (readPlotNumber(m_groupTexts.last(), true, &value, &unit))
                m_found.append({m_groupNames.at(group), value, unit});
        }
    }
    return m_found;
}
