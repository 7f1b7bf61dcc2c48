#include "core/byte_text.h"

#include <QTest>

class TestByteText : public QObject
{
    Q_OBJECT

private slots:
    void charToHex_data();
    void charToHex();
    void charToHexLeavesCallerBufferAlone();
    void hexToChar_data();
    void hexToChar();
    void decimalForms_data();
    void decimalForms();
    void piecesMatchSingleForms();
};

void TestByteText::charToHex_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("hex");
    const QList<QPair<int, const char *>> cases = {{0, "00"},   {9, "09"},  {10, "0A"},
                                                   {65, "41"},  {97, "61"}, {127, "7F"},
                                                   {128, "80"}, {255, "FF"}};
    for (const auto &[code, hex] : cases)
        QTest::addRow("%d", code) << code << QByteArray(hex);
}

void TestByteText::charToHex()
{
    QFETCH(int, code);
    QFETCH(QByteArray, hex);
    QCOMPARE(ByteText::charToHex(char(code)), hex);
}

void TestByteText::charToHexLeavesCallerBufferAlone()
{
    // A buffered batch must reach the pane as it was received, not
    // proper-cased by the conversion of its first byte.
    const QByteArray batch("\nabc def");
    QByteArray buffer = batch;
    QCOMPARE(ByteText::charToHex(buffer.front()), QByteArray("0A"));
    QCOMPARE(buffer, batch);
}

void TestByteText::hexToChar_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("41") << QByteArray("41") << QByteArray("A");
    QTest::newRow("4a") << QByteArray("4a") << QByteArray("\x4a");
    QTest::newRow("4A") << QByteArray("4A") << QByteArray("\x4a");
    QTest::newRow("ff") << QByteArray("ff") << QByteArray("\xff");
    QTest::newRow("FF") << QByteArray("FF") << QByteArray("\xff");
    QTest::newRow("00") << QByteArray("00") << QByteArray(1, '\0');
    QTest::newRow("single 7 reads as 77") << QByteArray("7") << QByteArray("\x77");
    QTest::newRow("middle ignored") << QByteArray("4 1") << QByteArray("A");
    QTest::newRow("G1: non-digit first") << QByteArray("G1") << QByteArray();
    QTest::newRow("space then 4") << QByteArray(" 4") << QByteArray();
    QTest::newRow("1G") << QByteArray("1G") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("g and G are not digits") << QByteArray("gG") << QByteArray();
}

void TestByteText::hexToChar()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, result);
    const QByteArray before = input;
    QCOMPARE(ByteText::hexToChar(input), result);
    QCOMPARE(input, before);
}

void TestByteText::decimalForms_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("plain");
    QTest::newRow("0") << 0 << QByteArray("0");
    QTest::newRow("10") << 10 << QByteArray("10");
    QTest::newRow("65") << 65 << QByteArray("65");
    QTest::newRow("100") << 100 << QByteArray("100");
    QTest::newRow("255") << 255 << QByteArray("255");
}

void TestByteText::decimalForms()
{
    QFETCH(int, code);
    QFETCH(QByteArray, plain);
    QCOMPARE(ByteText::plainDecimal(char(code)), plain);
    QCOMPARE(ByteText::spacedDecimal(char(code)), " " + plain);
}

void TestByteText::piecesMatchSingleForms()
{
    QByteArray all;
    for (int v = 0; v < 256; ++v)
        all.append(char(v));

    // The two layouts a pane shows take a faster way than any other.
    for (const auto &[prefix, suffix] :
         {std::pair<QByteArray, QByteArray>{" ", "  "}, {" ", ""}, {"", " "}}) {
        QByteArray expectedHex;
        for (const char byte : all)
            expectedHex += prefix + ByteText::charToHex(byte) + suffix;
        QByteArray hex("keep");
        ByteText::appendHexPieces(hex, all, prefix, suffix);
        QCOMPARE(hex, "keep" + expectedHex);
    }
    QByteArray expectedDec;
    for (const char byte : all)
        expectedDec += "<" + ByteText::plainDecimal(byte) + ">";
    QByteArray dec;
    ByteText::appendDecimalPieces(dec, all, "<", ">");
    QCOMPARE(dec, expectedDec);
}

QTEST_APPLESS_MAIN(TestByteText)
#include "tst_byte_text.moc"
