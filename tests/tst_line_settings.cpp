#include "devices/line_settings.h"

#include <QRandomGenerator>
#include <QTest>

class TestLineSettings : public QObject
{
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void parityReasonNamesTheField();
    void arbitraryTextNeverCrashes();
};

void TestLineSettings::accepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("baudRate");
    QTest::addColumn<QSerialPort::Parity>("parity");
    QTest::addColumn<QSerialPort::DataBits>("dataBits");
    QTest::addColumn<QSerialPort::StopBits>("stopBits");

    QTest::newRow("9600,n,8,1") << "9600,n,8,1" << 9600 << QSerialPort::NoParity
                                << QSerialPort::Data8 << QSerialPort::OneStop;
    QTest::newRow("19200,E,7,2") << "19200,E,7,2" << 19200 << QSerialPort::EvenParity
                                 << QSerialPort::Data7 << QSerialPort::TwoStop;
    QTest::newRow("115200,N,8,1") << "115200,N,8,1" << 115200 << QSerialPort::NoParity
                                  << QSerialPort::Data8 << QSerialPort::OneStop;
    QTest::newRow("9600,N,8,1.5") << "9600,N,8,1.5" << 9600 << QSerialPort::NoParity
                                  << QSerialPort::Data8 << QSerialPort::OneAndHalfStop;
    QTest::newRow("plus is mark") << "9600,+,8,1" << 9600 << QSerialPort::MarkParity
                                  << QSerialPort::Data8 << QSerialPort::OneStop;
    QTest::newRow("minus is space") << "9600,-,8,1" << 9600 << QSerialPort::SpaceParity
                                    << QSerialPort::Data8 << QSerialPort::OneStop;
    QTest::newRow("odd lower case") << "4800,o,6,1" << 4800 << QSerialPort::OddParity
                                    << QSerialPort::Data6 << QSerialPort::OneStop;
    QTest::newRow("mark letter") << "1200,M,5,2" << 1200 << QSerialPort::MarkParity
                                 << QSerialPort::Data5 << QSerialPort::TwoStop;
    QTest::newRow("space letter") << "300,s,7,1" << 300 << QSerialPort::SpaceParity
                                  << QSerialPort::Data7 << QSerialPort::OneStop;
    QTest::newRow("custom speed") << "12345,N,8,1" << 12345 << QSerialPort::NoParity
                                  << QSerialPort::Data8 << QSerialPort::OneStop;
    QTest::newRow("largest speed") << "2147483647,N,8,1" << 2147483647 << QSerialPort::NoParity
                                   << QSerialPort::Data8 << QSerialPort::OneStop;
    QTest::newRow("spaces around fields") << " 9600 , e , 7 , 2 " << 9600 << QSerialPort::EvenParity
                                          << QSerialPort::Data7 << QSerialPort::TwoStop;
}

void TestLineSettings::accepted()
{
    QFETCH(QString, text);
    QFETCH(qint32, baudRate);
    QFETCH(QSerialPort::Parity, parity);
    QFETCH(QSerialPort::DataBits, dataBits);
    QFETCH(QSerialPort::StopBits, stopBits);

    const LineSettingsParse result = parseLineSettings(text);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(result.error.isEmpty());
    QCOMPARE(result.settings.baudRate, baudRate);
    QCOMPARE(result.settings.parity, parity);
    QCOMPARE(result.settings.dataBits, dataBits);
    QCOMPARE(result.settings.stopBits, stopBits);
}

void TestLineSettings::refused_data()
{
    QTest::addColumn<QString>("text");
    // A word the reason must contain, so the operator sees which field is wrong.
    QTest::addColumn<QString>("named");

    QTest::newRow("parity x") << "9600,x,8,1"
                              << "parity";
    QTest::newRow("parity two letters") << "9600,nn,8,1"
                                        << "parity";
    QTest::newRow("speed letters") << "abc,n,8,1"
                                   << "speed";
    QTest::newRow("nine data bits") << "9600,n,9,1"
                                    << "data bits";
    QTest::newRow("four data bits") << "9600,n,4,1"
                                    << "data bits";
    QTest::newRow("empty") << ""
                           << "empty";
    QTest::newRow("blank") << "   "
                           << "empty";
    QTest::newRow("only commas") << ",,,"
                                 << "speed";
    QTest::newRow("empty parity") << "9600,,8,1"
                                  << "parity";
    QTest::newRow("empty data") << "9600,n,,1"
                                << "data bits";
    QTest::newRow("empty stop") << "9600,n,8,"
                                << "stop bits";
    QTest::newRow("three fields") << "9600,n,8"
                                  << "four";
    QTest::newRow("five fields") << "9600,n,8,1,1"
                                 << "four";
    QTest::newRow("one field") << "9600"
                               << "four";
    QTest::newRow("zero speed") << "0,n,8,1"
                                << "speed";
    QTest::newRow("negative speed") << "-9600,n,8,1"
                                    << "speed";
    QTest::newRow("signed speed") << "+9600,n,8,1"
                                  << "speed";
    QTest::newRow("fractional speed") << "9600.5,n,8,1"
                                      << "speed";
    QTest::newRow("speed too large") << "2147483648,n,8,1"
                                     << "speed";
    QTest::newRow("speed far too large") << "99999999999999999999999,n,8,1"
                                         << "speed";
    QTest::newRow("three stop bits") << "9600,n,8,3"
                                     << "stop bits";
    QTest::newRow("stop bits 1.0") << "9600,n,8,1.0"
                                   << "stop bits";
    QTest::newRow("semicolons") << "9600;n;8;1"
                                << "four";
}

void TestLineSettings::refused()
{
    QFETCH(QString, text);
    QFETCH(QString, named);

    const LineSettingsParse result = parseLineSettings(text);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(named), qPrintable(result.error));
}

void TestLineSettings::parityReasonNamesTheField()
{
    QCOMPARE(parseLineSettings("9600,x,8,1").error,
             QStringLiteral("the parity \"x\" is not one of N, O, E, M, S, + or -"));
}

void TestLineSettings::arbitraryTextNeverCrashes()
{
    // Whatever the operator types, the answer is a settings value or a reason.
    const QString alphabet = QStringLiteral("0123456789,.+-nNeEoOmMsSx \t\u00e9\u0000");
    QRandomGenerator random(20240611);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = random.bounded(16);
        for (int i = 0; i < length; ++i)
            text.append(alphabet.at(random.bounded(alphabet.size())));
        const LineSettingsParse result = parseLineSettings(text);
        QVERIFY2(result.ok == result.error.isEmpty(), qPrintable(text));
        if (result.ok) {
            QVERIFY(result.settings.baudRate > 0);
            QVERIFY(result.settings.dataBits >= QSerialPort::Data5 &&
                    result.settings.dataBits <= QSerialPort::Data8);
        }
    }
}

QTEST_GUILESS_MAIN(TestLineSettings)
#include "tst_line_settings.moc"
