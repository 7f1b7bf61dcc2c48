// Send-button text: the bytes it stands for, and where bad text goes wrong.
#include "core/send_button.h"
#include "core/send_text.h"

#include <QTest>

class TestSendText : public QObject
{
    Q_OBJECT

private slots:
    void readsOrNamesTheWrongPlace_data();
    void readsOrNamesTheWrongPlace();
    void setupLineKeepsTheButton_data();
    void setupLineKeepsTheButton();
};

void TestSendText::readsOrNamesTheWrongPlace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hexPairs");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error"); // the start of the message
    QTest::newRow("escapes") << QStringLiteral(R"(AT\r\n\t\\\x00\xfF)") << false
                             << QByteArray("AT\r\n\t\\\0\xff", 8) << QString();
    QTest::newRow("latin-1 as is")
        << QStringLiteral("\u00e9") << false << QByteArray("\xe9") << QString();
    QTest::newRow("one digit") << QStringLiteral(R"(ab\x4)") << false << QByteArray()
                               << QStringLiteral("Position 3: \\x needs exactly two hex digits");
    QTest::newRow("not hex") << QStringLiteral(R"(\x4g)") << false << QByteArray()
                             << QStringLiteral("Position 1: \\x needs");
    QTest::newRow("unknown") << QStringLiteral(R"(a\q)") << false << QByteArray()
                             << QStringLiteral("Position 2: \\q is not an escape");
    QTest::newRow("lone backslash") << QStringLiteral("ab\\") << false << QByteArray()
                                    << QStringLiteral("Position 3: a lone \\");
    QTest::newRow("wide char") << QStringLiteral("a\u20ac") << false << QByteArray()
                               << QStringLiteral("Position 2: \"\u20ac\" is not a single byte");
    QTest::newRow("pairs") << QStringLiteral(" 41 42\t0d0A ") << true << QByteArray("AB\r\n")
                           << QString();
    QTest::newRow("odd run") << QStringLiteral("41 4 42") << true << QByteArray()
                             << QStringLiteral("Position 4: a lone hex digit");
    QTest::newRow("odd end") << QStringLiteral("414") << true << QByteArray()
                             << QStringLiteral("Position 3: a lone hex digit");
    QTest::newRow("not a digit") << QStringLiteral("41,42") << true << QByteArray()
                                 << QStringLiteral("Position 3: \",\" is not a hex digit");
}

void TestSendText::readsOrNamesTheWrongPlace()
{
    QFETCH(QString, text);
    QFETCH(bool, hexPairs);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const SendText::Reading reading = SendText::of(text, hexPairs);
    QCOMPARE(reading.bytes, bytes);
    QVERIFY2(error.isEmpty() ? reading.ok() : reading.error.startsWith(error),
             qPrintable(reading.error));
}

void TestSendText::setupLineKeepsTheButton_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("reads");
    QTest::newRow("text with a tab") << QStringLiteral("Go\ttext\t0\tA\tB\\r") << true;
    QTest::newRow("hex repeating") << QStringLiteral("Poll\thex\t100\t01 03") << true;
    QTest::newRow("none") << QString() << true;
    QTest::newRow("unknown kind") << QStringLiteral("Go\tbin\t0\tA") << false;
    QTest::newRow("too fast") << QStringLiteral("Go\ttext\t5\tA") << false;
    QTest::newRow("bad text") << QStringLiteral("Go\ttext\t0\t\\q") << false;
    QTest::newRow("short") << QStringLiteral("Go\ttext\t0") << false;
}

void TestSendText::setupLineKeepsTheButton()
{
    QFETCH(QString, line);
    QFETCH(bool, reads);
    const std::optional<SendButton> button = SendButton::fromSetupText(line);
    QCOMPARE(button.has_value(), reads);
    if (button)
        QCOMPARE(button->toSetupText(), line);
}

QTEST_GUILESS_MAIN(TestSendText)
#include "tst_send_text.moc"
