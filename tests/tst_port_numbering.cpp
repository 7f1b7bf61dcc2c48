#include "devices/port_numbering.h"

#include <QFileInfo>
#include <QSet>
#include <QTest>

#include <cmath>
#include <limits>

class TestPortNumbering : public QObject
{
    Q_OBJECT

private slots:
    void ordering_data();
    void ordering();
    void numbersStopAt99();
    void deviceAt_data();
    void deviceAt();
    void thisMachine();
};

void TestPortNumbering::ordering_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("others");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("nothing") << QStringList() << QStringList() << QStringList();
    QTest::newRow("built-in ports only")
        << QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2"} << QStringList()
        << QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2"};
    QTest::newRow("stops at the first gap")
        << QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS3"} << QStringList()
        << QStringList{"/dev/ttyS0", "/dev/ttyS1"};
    QTest::newRow("no ttyS0 means no built-in ports")
        << QStringList{"/dev/ttyS1", "/dev/ttyUSB0"} << QStringList()
        << QStringList{"/dev/ttyUSB0"};
    QTest::newRow("built-in, then USB, then ACM")
        << QStringList{"/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyACM1"}
        << QStringList()
        << QStringList{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0",
                       "/dev/ttyACM1"};
    QTest::newRow("others follow in name order without repeats")
        << QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS3", "/dev/ttyUSB0"}
        << QStringList{"/dev/ttyAMA10", "/dev/ttyS1",   "/dev/ttyS3",   "/dev/ttyAMA2",
                       "/dev/rfcomm0",  "/dev/ttyUSB0", "/dev/ttyAMA2", ""}
        << QStringList{"/dev/ttyS0",   "/dev/ttyS1",    "/dev/ttyUSB0", "/dev/rfcomm0",
                       "/dev/ttyAMA2", "/dev/ttyAMA10", "/dev/ttyS3"};
    QTest::newRow("only others") << QStringList() << QStringList{"/dev/ttyXRUSB1", "/dev/ttyXRUSB0"}
                                 << QStringList{"/dev/ttyXRUSB0", "/dev/ttyXRUSB1"};
}

void TestPortNumbering::ordering()
{
    QFETCH(QStringList, present);
    QFETCH(QStringList, others);
    QFETCH(QStringList, expected);

    const QSet<QString> files(present.cbegin(), present.cend());
    const auto exists = [&files](const QString &path) {
        return files.contains(path);
    };
    QCOMPARE(PortNumbering::orderDevices(exists, others), expected);
}

void TestPortNumbering::numbersStopAt99()
{
    // A machine that seems to have every device must not keep the search going.
    const QStringList devices =
        PortNumbering::orderDevices([](const QString &) { return true; }, {});
    QCOMPARE(devices.size(), 3 * 99);
    QCOMPARE(devices.at(98), QStringLiteral("/dev/ttyS98"));
    QCOMPARE(devices.at(99), QStringLiteral("/dev/ttyUSB0"));
}

void TestPortNumbering::deviceAt_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("expected");

    QTest::newRow("1") << 1.0 << "d1";
    QTest::newRow("2") << 2.0 << "d2";
    QTest::newRow("99") << 99.0 << "d99";
    QTest::newRow("100") << 100.0 << "";
    QTest::newRow("0") << 0.0 << "";
    QTest::newRow("-1") << -1.0 << "";
    QTest::newRow("1.5") << 1.5 << "";
    QTest::newRow("just under 2") << 1.9999 << "";
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "";
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "";
    QTest::newRow("huge") << 1e300 << "";
}

void TestPortNumbering::deviceAt()
{
    QFETCH(double, number);
    QFETCH(QString, expected);

    QStringList devices;
    for (int i = 1; i <= 120; ++i)
        devices.append(QStringLiteral("d%1").arg(i));
    QCOMPARE(PortNumbering::deviceAt(devices, number), expected);
    // Past the end of a short list there is nothing.
    const QStringList few{"d1", "d2"};
    QCOMPARE(PortNumbering::deviceAt(few, number), number <= 2 ? expected : QString());
}

void TestPortNumbering::thisMachine()
{
    const QStringList devices = PortNumbering::devicesInOrder();
    const QSet<QString> unique(devices.cbegin(), devices.cend());
    QCOMPARE(unique.size(), devices.size());
#ifndef Q_OS_WIN
    for (qsizetype i = 0; i < devices.size() && devices.at(i).startsWith("/dev/ttyS"); ++i) {
        QCOMPARE(devices.at(i), QStringLiteral("/dev/ttyS%1").arg(i));
        QVERIFY(QFileInfo::exists(devices.at(i)));
    }
#else
    QCOMPARE(devices.value(0), QStringLiteral("COM1"));
#endif
    QCOMPARE(PortNumbering::deviceForNumber(1), devices.value(0));
    QCOMPARE(PortNumbering::deviceForNumber(devices.size()), devices.value(devices.size() - 1));
    QCOMPARE(PortNumbering::deviceForNumber(devices.size() + 1), QString());
    QCOMPARE(PortNumbering::deviceForNumber(1.5), QString());
}

QTEST_GUILESS_MAIN(TestPortNumbering)
#include "tst_port_numbering.moc"
