// The numbers found in a line for plotting: any line is read without
// fault, every name and unit found is text of the line (or a column's
// number), a line read after others (the input's lines, one by one) gives
// what it gives on its own, and a line of numbers and separators alone
// gives, column by column, what a plain regular expression and strtod make
// of each field.
#include "core/plot/number_finder.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

bool withinLine(QByteArrayView part, QByteArrayView line)
{
    return part.isEmpty() ||
           (part.data() >= line.data() && part.data() + part.size() <= line.data() + line.size());
}

QByteArray valueText(double value)
{
    return QByteArray::number(value, 'g', 17);
}

// Each line of `input` read by one finder, as a channel reads them, against
// a finder of its own: the same pairs, or the same columns' numbers (whose
// names a header line before may give); and the names of the line before
// when the finder says so.
void readLineAfterLine(const QByteArray &input)
{
    NumberFinder reader;
    QList<QByteArray> namesBefore;
    for (const QByteArray &line : input.split('\n')) {
        NumberFinder alone;
        const QList<FoundNumber> expected = alone.find(line);
        const QList<FoundNumber> &found = reader.find(line);
        check(found.size() == expected.size(), "a line read after others: not its numbers");
        const bool pairs = !expected.isEmpty() && withinLine(expected.first().name, line);
        for (qsizetype i = 0; i < found.size(); ++i) {
            check(valueText(found.at(i).value) == valueText(expected.at(i).value),
                  "a line read after others: a value misread");
            check(!pairs || (found.at(i).name == expected.at(i).name &&
                             found.at(i).unit == expected.at(i).unit),
                  "a line read after others: another name or unit");
        }
        QList<QByteArray> names;
        for (const FoundNumber &number : found)
            names.append(number.name.toByteArray());
        check(!reader.namesAsBefore() || names == namesBefore,
              "names said to be those of the line before, and not");
        namesBefore = names;
    }
}

bool isColumnNumber(QByteArrayView name)
{
    bool ok = false;
    const int number = name.toByteArray().toInt(&ok);
    return ok && number >= 1 && QByteArray::number(number) == name;
}

// The model: the line's separator, its fields, and the number each field is.
QList<QByteArray> expectedColumns(const QByteArray &line)
{
    char separator = ' ';
    for (const char c : {';', '\t', ','}) {
        if (line.contains(c)) {
            separator = c;
            break;
        }
    }
    const bool decimalComma = separator == ';' || separator == '\t';
    QList<QByteArray> fields;
    if (separator == ' ')
        fields = line.simplified().split(' ');
    else
        fields = line.split(separator);
    static const QRegularExpression number(QStringLiteral(
        "^([+-]?(?:[0-9]+(?:[.][0-9]+)?|[.][0-9]+)(?:[eE][+-]?[0-9]+)?)((?:e[0-9e]{0,15})?)$"));
    QList<QByteArray> expected;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QByteArray field = fields.at(i).trimmed();
        if (decimalComma)
            field.replace(',', '.');
        const QRegularExpressionMatch match = number.match(QString::fromLatin1(field));
        if (!match.hasMatch() || match.capturedLength(1) > 400)
            continue;
        const double value = std::strtod(match.captured(1).toLatin1().constData(), nullptr);
        expected.append(QByteArray::number(i + 1) + '=' + QByteArray::number(value, 'g', 17) + '[' +
                        match.captured(2).toLatin1() + ']');
    }
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), qsizetype(size));
    g_input = line;
    NumberFinder finder;
    for (const FoundNumber &number : finder.find(line)) {
        check(!number.name.isEmpty(), "a number without a name");
        check(withinLine(number.name, line) || isColumnNumber(number.name),
              "a name that is neither the line's text nor a column's number");
        check(withinLine(number.unit, line), "a unit that is not the line's text");
        check(number.unit.size() <= 16, "an overlong unit");
    }
    readLineAfterLine(line);

    // The same bytes as a line of digits, signs, points, exponents and
    // separators only.
    static const char alphabet[] = "0123456789.,; \t-+e";
    QByteArray numbers = line;
    for (char &c : numbers)
        c = alphabet[static_cast<unsigned char>(c) % (sizeof alphabet - 1)];
    NumberFinder fresh;
    QList<QByteArray> found;
    for (const FoundNumber &number : fresh.find(numbers)) {
        check(isColumnNumber(number.name), "a column named other than by its number");
        found.append(number.name.toByteArray() + '=' + valueText(number.value) + '[' +
                     number.unit.toByteArray() + ']');
    }
    const QList<QByteArray> expected = expectedColumns(numbers);
    check(found.size() == expected.size(), "not the columns' numbers");
    for (qsizetype i = 0; i < found.size(); ++i) {
        // Beyond a double's range strtod may keep a subnormal where the
        // finder reads zero.
        const bool tiny = found.at(i).contains("=0[") || found.at(i).contains("=-0[");
        check(found.at(i) == expected.at(i) || tiny, "a column's number misread");
    }
    return 0;
}
