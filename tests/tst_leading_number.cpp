#include "core/leading_number.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <cstring>

class TestLeadingNumber : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void toInt16_data();
    void toInt16();
    void readsTheSameInAnyLocale();
};

void TestLeadingNumber::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("250ms") << "250ms" << 250.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("blank inside") << "1 000" << 1000.0;
    QTest::newRow("tab and line feed inside") << "1\t0\n0" << 100.0;
    QTest::newRow("&H1F4") << "&H1F4" << 500.0;
    QTest::newRow("&h lower case") << "&h1f4" << 500.0;
    QTest::newRow("&O17") << "&O17" << 15.0;
    QTest::newRow("&O stops at 8") << "&O178" << 15.0;
    QTest::newRow("&HFFFF") << "&HFFFF" << 65535.0;
    QTest::newRow("& alone") << "&" << 0.0;
    QTest::newRow("&X") << "&X12" << 0.0;
    QTest::newRow("2.5") << "2.5" << 2.5;
    QTest::newRow("3.5") << "3.5" << 3.5;
    QTest::newRow("-1") << "-1" << -1.0;
    QTest::newRow("+7") << "+7" << 7.0;
    QTest::newRow("1e3") << "1e3" << 1000.0;
    QTest::newRow("1E-2") << "1E-2" << 0.01;
    QTest::newRow("1e without digits") << "1e" << 1.0;
    QTest::newRow("1.2.3") << "1.2.3" << 1.2;
    QTest::newRow(".5") << ".5" << 0.5;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("32767.5") << "32767.5" << 32767.5;
    QTest::newRow("3 digits then text") << "3x7" << 3.0;
    QTest::newRow("comma is not a point") << "2,5" << 2.0;
    QTest::newRow("TCP") << "tcp" << 0.0;
    QTest::newRow("non-Latin digit") << QString::fromUtf8("\xd9\xa3") << 0.0;
    QTest::newRow("carriage return is not removed") << "1\r2" << 1.0;
    // Beyond a double's range: too large is infinite (and so never fits),
    // too small is zero.
    QTest::newRow("1e400") << "1e400" << double(INFINITY);
    QTest::newRow("-1e400") << "-1e400" << -double(INFINITY);
    QTest::newRow("400 digits") << QString(400, u'9') << double(INFINITY);
    QTest::newRow("1e-400") << "1e-400" << 0.0;
}

void TestLeadingNumber::read()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(LeadingNumber::read(text), value);
}

void TestLeadingNumber::toInt16_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("whole");
    QTest::newRow("250") << 250.0 << true << 250;
    QTest::newRow("2.5 to even") << 2.5 << true << 2;
    QTest::newRow("3.5 to even") << 3.5 << true << 4;
    QTest::newRow("-2.5 to even") << -2.5 << true << -2;
    QTest::newRow("2.6") << 2.6 << true << 3;
    QTest::newRow("-1") << -1.0 << true << -1;
    QTest::newRow("32767") << 32767.0 << true << 32767;
    QTest::newRow("32767.5 rounds out") << 32767.5 << false << 0;
    QTest::newRow("-32768") << -32768.0 << true << -32768;
    QTest::newRow("-32768.6") << -32768.6 << false << 0;
    QTest::newRow("65535") << 65535.0 << false << 0;
    QTest::newRow("infinity") << double(INFINITY) << false << 0;
    QTest::newRow("nan") << double(NAN) << false << 0;
}

void TestLeadingNumber::toInt16()
{
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(int, whole);
    const std::optional<qint16> result = LeadingNumber::toInt16(value);
    QCOMPARE(result.has_value(), fits);
    if (fits)
        QCOMPARE(int(*result), whole);
}

void TestLeadingNumber::readsTheSameInAnyLocale()
{
    // The operator's locale may use a decimal comma; the rule always uses ".".
    const char *previous = setlocale(LC_ALL, nullptr);
    const QByteArray saved = previous ? QByteArray(previous) : QByteArray("C");
    bool found = false;
    for (const char *name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR", "ru_RU.UTF-8"})
        if (setlocale(LC_NUMERIC, name) && std::strcmp(localeconv()->decimal_point, ",") == 0) {
            found = true;
            break;
        }
    if (!found) {
        setlocale(LC_ALL, saved.constData());
        QSKIP("no locale with a decimal comma is installed here");
    }
    const double value = LeadingNumber::read("2.5e1");
    setlocale(LC_ALL, saved.constData());
    QCOMPARE(value, 25.0);
}

QTEST_APPLESS_MAIN(TestLeadingNumber)
#include "tst_leading_number.moc"
