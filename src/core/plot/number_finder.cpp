#include "core/plot/number_finder.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

// A number's text longer than this is taken for no number.
constexpr qsizetype kLongestNumberText = 400;
constexpr qsizetype kLongestUnit = 16;
// Matches of a pattern read per line: a pattern that matches everywhere
// cannot make one line cost without bound.
constexpr int kMostPatternMatches = 64;

bool isPlotDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isPlotLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isPlotHighByte(char c)
{
    return static_cast<unsigned char>(c) >= 0x80;
}

bool isPlotBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool startsWithPlotWord(const char *p, const char *end, const char *word)
{
    for (; *word; ++word, ++p) {
        if (p == end || (*p | 0x20) != *word)
            return false;
    }
    return true;
}

// Reads a number (without its unit) at `p`; returns where it ends, or null.
const char *scanPlotNumber(const char *p, const char *end, bool decimalComma, double *value)
{
    const char *start = p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    for (const char *word : {"infinity", "inf", "nan"}) {
        if (startsWithPlotWord(p, end, word)) {
            const qsizetype length = qsizetype(std::char_traits<char>::length(word));
            if (word[0] == 'n')
                *value = std::numeric_limits<double>::quiet_NaN();
            else
                *value = negative ? -std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::infinity();
            return p + length;
        }
    }
    const char *digits = p;
    bool wholeIsZero = true;
    while (p < end && isPlotDigit(*p))
        wholeIsZero &= *p++ == '0';
    qsizetype digitCount = p - digits;
    if (p + 1 < end && (*p == '.' || (decimalComma && *p == ',')) && isPlotDigit(p[1])) {
        ++p;
        while (p < end && isPlotDigit(*p))
            ++p, ++digitCount;
    }
    if (digitCount == 0)
        return nullptr;
    bool exponentNegative = false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char *at = p + 1;
        if (at < end && (*at == '+' || *at == '-'))
            exponentNegative = *at++ == '-';
        if (at < end && isPlotDigit(*at)) {
            while (at < end && isPlotDigit(*at))
                ++at;
            p = at;
        } else {
            exponentNegative = false;
        }
    }
    if (p - start > kLongestNumberText)
        return nullptr;
    char text[kLongestNumberText];
    qsizetype length = 0;
    for (const char *c = start; c < p; ++c) {
        if (*c != '+')
            text[length++] = *c == ',' ? '.' : *c;
    }
    const auto [ptr, ec] = std::from_chars(text, text + length, *value);
    if (ec == std::errc::result_out_of_range) {
        const bool tiny = exponentNegative || wholeIsZero;
        *value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        if (negative)
            *value = -*value;
    } else if (ec != std::errc() || ptr != text + length) {
        return nullptr;
    }
    return p;
}

// Reads a unit at `p` (maybe none); returns where it ends, or null when the
// run of unit characters is too long to be one.
const char *scanPlotUnit(const char *p, const char *end)
{
    if (p == end || !(isPlotLetter(*p) || *p == '%' || isPlotHighByte(*p)))
        return p;
    const char *start = p++;
    while (p < end && (isPlotLetter(*p) || isPlotDigit(*p) || isPlotHighByte(*p) || *p == '%' ||
                       *p == '/' || *p == '^'))
        ++p;
    return p - start > kLongestUnit ? nullptr : p;
}

// Where a number of a key=value pair or a blank-separated column may end.
bool endsPlotToken(const char *p, const char *end)
{
    return p == end || isPlotBlank(*p) || *p == ',' || *p == ';';
}

bool isPlotNameStart(char c)
{
    return isPlotLetter(c) || c == '_' || isPlotHighByte(c);
}

bool isPlotNameByte(char c)
{
    return isPlotNameStart(c) || isPlotDigit(c) || c == '.' || c == '-' || c == '[' || c == ']';
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
    const char *afterNumber = scanPlotNumber(text.data(), end, decimalComma, value);
    if (!afterNumber)
        return false;
    const char *afterUnit = scanPlotUnit(afterNumber, end);
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

const QList<FoundNumber> &NumberFinder::find(QByteArrayView line)
{
    m_found.clear();
    if (!m_regex.pattern().isEmpty()) {
        findByPattern(line);
        return m_found;
    }
    char separator = ' ';
    if (line.contains(';'))
        separator = ';';
    else if (line.contains('\t'))
        separator = '\t';
    else if (line.contains(','))
        separator = ',';
    findPairs(line, separator == ';' || separator == '\t');
    if (m_found.isEmpty())
        findColumns(line, separator);
    return m_found;
}

void NumberFinder::findPairs(QByteArrayView line, bool decimalComma)
{
    const char *begin = line.data();
    const char *end = begin + line.size();
    for (const char *p = begin; p < end; ++p) {
        if (*p != '=' && *p != ':')
            continue;
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
        const char *afterNumber = scanPlotNumber(at, end, decimalComma, &value);
        if (!afterNumber)
            continue;
        const char *afterUnit = scanPlotUnit(afterNumber, end);
        if (!afterUnit || !endsPlotToken(afterUnit, end))
            continue;
        m_found.append({QByteArrayView(nameStart, nameEnd - nameStart), value,
                        QByteArrayView(afterNumber, afterUnit - afterNumber)});
        p = afterUnit - 1;
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
            while (at < line.size() && isPlotBlank(line.at(at)))
                ++at;
            qsizetype end = at;
            while (end < line.size() && !isPlotBlank(line.at(end)))
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

void NumberFinder::findByPattern(QByteArrayView line)
{
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
}
