#include "core/plot/number_finder.h"

#include <QTest>

#include <charconv>

// The numbers found in the last of `lines` (separated by '\n'), as
// "name=value[unit]" with blanks between.
static QByteArray foundIn(NumberFinder &finder, const QByteArray &lines)
{
    QByteArray result;
    for (const QByteArray &line : lines.split('\n')) {
        result.clear();
        for (const FoundNumber &number : finder.find(line)) {
            char value[32];
            const auto end = std::to_chars(value, value + sizeof value, number.value).ptr;
            result += (result.isEmpty() ? "" : " ") + number.name.toByteArray() + '=' +
                      QByteArray(value, end - value) + '[' + number.unit.toByteArray() + ']';
        }
    }
    return result;
}

class TestNumberFinder : public QObject
{
    Q_OBJECT

private slots:
    void findsNumbers_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("found");
        const QString none;
        QTest::newRow("pairs with units") << none << QByteArray("T=23.41C P=1013.2hPa RH=41%")
                                          << QByteArray("T=23.41[C] P=1013.2[hPa] RH=41[%]");
        QTest::newRow("pairs with colons and blanks")
            << none << QByteArray("Temp: -4.5 °C, Volt = +3.3V")
            << QByteArray("Temp=-4.5[] Volt=3.3[V]");
        QTest::newRow("pairs, decimal comma with semicolons")
            << none << QByteArray("T=23,4;P=1013,2") << QByteArray("T=23.4[] P=1013.2[]");
        QTest::newRow("a comma after a pair's number in a line of blanks")
            << none << QByteArray("T=23,4 P=5") << QByteArray("T=23[] P=5[]");
        QTest::newRow("more pairs than the line before")
            << none << QByteArray("A=1\nA=2 B=3 C=4") << QByteArray("A=2[] B=3[] C=4[]");
        QTest::newRow("fewer pairs than the line before")
            << none << QByteArray("A=1 B=2 C=3\nA=4") << QByteArray("A=4[]");
        // A line like the one before it: the same bytes but for digits.
        QTest::newRow("a line like the one before: its own numbers")
            << none << QByteArray("T=23.41C n=1 P=-1.5e3\nT=24.99C n=2 P=-2.5e3")
            << QByteArray("T=24.99[C] n=2[] P=-2500[]");
        QTest::newRow("a line like the one before: a digit of a name or unit")
            << none << QByteArray("sensor T1=5m2 ok\nsensor T2=5m3 ok") << QByteArray("T2=5[m3]");
        QTest::newRow("a line like the one before: a letter for a digit in its last bytes")
            << none << QByteArray("counter 0000001 A=12\ncounter 0000002 A=1x")
            << QByteArray("A=1[x]");
        QTest::newRow("a line like the one before: a decimal comma")
            << none << QByteArray("T=-23,4;P=1\nT=-24,5;P=2") << QByteArray("T=-24.5[] P=2[]");
        QTest::newRow("a clock time is no pair")
            << none << QByteArray("12:30:45 up") << QByteArray();
        QTest::newRow("comma columns")
            << none << QByteArray("12.5,13.1,0.004") << QByteArray("1=12.5[] 2=13.1[] 3=0.004[]");
        QTest::newRow("blank columns, signs and exponents")
            << none << QByteArray("  -1.5e3  +2E-2  .5  7e ")
            << QByteArray("1=-1500[] 2=0.02[] 3=0.5[] 4=7[e]");
        QTest::newRow("tab columns read a decimal comma")
            << none << QByteArray("1,5\t2,25") << QByteArray("1=1.5[] 2=2.25[]");
        QTest::newRow("semicolon CSV, quoted")
            << none << QByteArray("\"3,5\";;\"x\";4") << QByteArray("1=3.5[] 4=4[]");
        QTest::newRow("thousands separators left alone")
            << none << QByteArray("1,234,567 and 1.234.567") << QByteArray("1=1[] 2=234[]");
        QTest::newRow("NMEA sentence")
            << none
            << QByteArray("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47")
            << QByteArray("2=123519[] 3=4807.038[] 5=1131[] 7=1[] 8=8[] 9=0.9[] 10=545.4[] "
                          "12=46.9[]");
        QTest::newRow("nan and inf")
            << none << QByteArray("nan -inf NaN 3") << QByteArray("1=nan[] 2=-inf[] 3=nan[] 4=3[]");
        QTest::newRow("no number") << none << QByteArray("Ready. Version 2.1b, ok") << QByteArray();
        QTest::newRow("hexadecimal is no number")
            << none << QByteArray("0x1F 5") << QByteArray("2=5[]");
        QTest::newRow("a word after a number is no unit of it")
            << none << QByteArray("5 apples") << QByteArray("1=5[]");
        QTest::newRow("overlong unit") << none << QByteArray("5abcdefghijklmnopq") << QByteArray();
        QTest::newRow("header names the columns")
            << none << QByteArray("time;temp [C];hum (%)\n12;21,5;40")
            << QByteArray("time=12[] temp=21.5[C] hum=40[%]");
        QTest::newRow("a header of another separator names nothing")
            << none << QByteArray("Hello world\n1,2") << QByteArray("1=1[] 2=2[]");
        QTest::newRow("pattern with named groups")
            << QStringLiteral("V(?<ch>[0-9])?=(?<volts>\\S+)") << QByteArray("V1=3,3mV V2=x")
            << QByteArray("ch=1[] volts=3.3[mV] ch=2[]");
        QTest::newRow("pattern's group that is no number")
            << QStringLiteral("(?<id>\\w+)") << QByteArray("abc") << QByteArray();
    }
    void findsNumbers()
    {
        QFETCH(QString, pattern);
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, found);
        NumberFinder finder;
        QCOMPARE(finder.setPattern(pattern), QString());
        QCOMPARE(foundIn(finder, lines), found);
    }

    void refusesPatternsWithoutNames()
    {
        NumberFinder finder;
        QVERIFY(!finder.setPattern(QStringLiteral("([0-9]+)")).isEmpty());
        QVERIFY(!finder.setPattern(QStringLiteral("(?<a>[0-9]+")).isEmpty());
        QCOMPARE(finder.pattern(), QString());
    }
};

QTEST_GUILESS_MAIN(TestNumberFinder)
#include "tst_number_finder.moc"
