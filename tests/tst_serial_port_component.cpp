#include "devices/serial_port_component.h"
#include "support/pty_pair.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <termios.h>

namespace {

QByteArray everyByteValue(int repeats = 1)
{
    QByteArray bytes;
    for (int r = 0; r < repeats; ++r) {
        for (int value = 0; value < 256; ++value)
            bytes.append(char(value));
    }
    return bytes;
}

} // namespace

class TestSerialPortComponent : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void receivesEveryByteValue();
    void transmitsEveryByteValue();
    void secondInstanceIsRefused();
    void samePathSpelledDifferentlyIsRefused();
    void destroyingFreesTheDevice();
    void closingTwiceIsHarmless();
    void openWithoutDeviceFails();
    void openMissingPathFails();
    void numberWithoutDeviceFails();
    void acceptedSettings_data();
    void acceptedSettings();
    void refusedSettingsKeepThePortUsable();
    void malformedSettings_data();
    void malformedSettings();
    void settingsWhileClosed();
    void unpluggedDeviceFailsOnce();
    void lastBytesComeBeforeTheFailure();

private:
    std::unique_ptr<PtyPair> m_pty;
};

void TestSerialPortComponent::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isOpen());
}

void TestSerialPortComponent::receivesEveryByteValue()
{
    SerialPortComponent port;
    port.setPortName(m_pty->slavePath());
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));

    QByteArray received;
    int emptyBatches = 0;
    connect(&port, &SerialPortComponent::received, this, [&](const QByteArray &batch) {
        emptyBatches += batch.isEmpty();
        received += batch;
    });

    const QByteArray sent = everyByteValue(16);
    m_pty->write(sent);
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), sent.size(), 10000);
    QCOMPARE(received, sent);
    QCOMPARE(emptyBatches, 0);
}

void TestSerialPortComponent::transmitsEveryByteValue()
{
    SerialPortComponent port;
    port.setPortName(m_pty->slavePath());
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));

    const QByteArray sent = everyByteValue(4);
    port.transmitText(sent);
    QCOMPARE(m_pty->read(sent.size(), 10000), sent);
}

void TestSerialPortComponent::secondInstanceIsRefused()
{
    SerialPortComponent first;
    first.setPortName(m_pty->slavePath());
    first.setOpenState(true);
    QVERIFY2(first.openState(), qPrintable(first.openError()));

    SerialPortComponent second;
    second.setPortName(m_pty->slavePath());
    second.setOpenState(true);
    QVERIFY(!second.openState());
    QVERIFY2(second.openError().contains(m_pty->slavePath()), qPrintable(second.openError()));
    QVERIFY2(second.openError().contains("already open"), qPrintable(second.openError()));
    // The holder is unaffected.
    QVERIFY(first.openState());

    first.setOpenState(false);
    QVERIFY(!first.openState());
    second.setOpenState(true);
    QVERIFY2(second.openState(), qPrintable(second.openError()));
    QVERIFY(second.openError().isEmpty());

    // And the device works for the new holder.
    QByteArray received;
    connect(&second, &SerialPortComponent::received, this,
            [&](const QByteArray &batch) { received += batch; });
    m_pty->write("ping");
    QTRY_COMPARE_WITH_TIMEOUT(received, QByteArray("ping"), 5000);
}

void TestSerialPortComponent::samePathSpelledDifferentlyIsRefused()
{
    const QFileInfo slave(m_pty->slavePath());
    const QString roundabout =
        slave.absolutePath() + "/../" + slave.dir().dirName() + "/" + slave.fileName();
    QVERIFY(roundabout != m_pty->slavePath());

    SerialPortComponent first;
    first.setPortName(m_pty->slavePath());
    first.setOpenState(true);
    QVERIFY2(first.openState(), qPrintable(first.openError()));

    SerialPortComponent second;
    second.setPortName(roundabout);
    second.setOpenState(true);
    QVERIFY(!second.openState());
    QVERIFY2(second.openError().contains("already open"), qPrintable(second.openError()));
}

void TestSerialPortComponent::destroyingFreesTheDevice()
{
    auto first = std::make_unique<SerialPortComponent>();
    first->setPortName(m_pty->slavePath());
    first->setOpenState(true);
    QVERIFY2(first->openState(), qPrintable(first->openError()));

    SerialPortComponent second;
    second.setPortName(m_pty->slavePath());
    second.setOpenState(true);
    QVERIFY(!second.openState());

    first.reset();
    second.setOpenState(true);
    QVERIFY2(second.openState(), qPrintable(second.openError()));
}

void TestSerialPortComponent::closingTwiceIsHarmless()
{
    SerialPortComponent port;
    QSignalSpy batches(&port, &SerialPortComponent::received);
    QSignalSpy failures(&port, &SerialPortComponent::failed);
    port.setOpenState(false); // never opened
    QVERIFY(!port.openState());

    port.setPortName(m_pty->slavePath());
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));
    port.setOpenState(false);
    port.setOpenState(false);
    QVERIFY(!port.openState());
    QCOMPARE(batches.count(), 0);
    port.transmitText("nobody listens"); // closed: dropped quietly

    QTest::qWait(100);
    QCOMPARE(failures.count(), 0);
    // Opening again after the double close still works.
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));
}

void TestSerialPortComponent::openWithoutDeviceFails()
{
    SerialPortComponent port;
    QSignalSpy failures(&port, &SerialPortComponent::failed);
    port.setOpenState(true);
    QVERIFY(!port.openState());
    QVERIFY(!port.openError().isEmpty());

    port.setPortName(QString());
    port.setOpenState(true);
    QVERIFY(!port.openState());
    QVERIFY(!port.openError().isEmpty());
    QCOMPARE(failures.count(), 0);
}

void TestSerialPortComponent::openMissingPathFails()
{
    const QString missing = QStringLiteral("/dev/varnok-no-such-device");
    QVERIFY(!QFileInfo::exists(missing));

    SerialPortComponent port;
    QSignalSpy failures(&port, &SerialPortComponent::failed);
    port.setPortName(missing);
    port.setOpenState(true);
    QVERIFY(!port.openState());
    QVERIFY2(port.openError().contains(missing), qPrintable(port.openError()));
    QTest::qWait(50);
    QCOMPARE(failures.count(), 0);

    // A later good choice clears the old reason.
    port.setPortName(m_pty->slavePath());
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));
    QVERIFY(port.openError().isEmpty());
}

void TestSerialPortComponent::numberWithoutDeviceFails()
{
    SerialPortComponent port;
    port.setPortNumber(2.5);
    QVERIFY(port.portName().isEmpty());
    port.setOpenState(true);
    QVERIFY(!port.openState());
    QCOMPARE(port.openError(), QStringLiteral("no serial device has number 2.5 on this machine"));

    port.setPortNumber(100);
    port.setOpenState(true);
    QVERIFY(!port.openState());
    QCOMPARE(port.openError(), QStringLiteral("no serial device has number 100 on this machine"));
}

void TestSerialPortComponent::acceptedSettings_data()
{
    QTest::addColumn<QString>("settings");
    QTest::newRow("9600,n,8,1") << "9600,n,8,1";
    QTest::newRow("115200,N,8,2") << "115200,N,8,2";
    QTest::newRow("custom speed") << "31250,N,8,1";
}

void TestSerialPortComponent::acceptedSettings()
{
    QFETCH(QString, settings);

    SerialPortComponent port;
    QSignalSpy failures(&port, &SerialPortComponent::failed);
    port.setPortName(m_pty->slavePath());
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));

    const QString reason = port.setLineSettings(settings);
    QVERIFY2(reason.isEmpty(), qPrintable(reason));
    QVERIFY(port.openState());

    port.transmitText("after settings");
    QCOMPARE(m_pty->read(14), QByteArray("after settings"));
    QCOMPARE(failures.count(), 0);
}

void TestSerialPortComponent::refusedSettingsKeepThePortUsable()
{
    SerialPortComponent port;
    QSignalSpy failures(&port, &SerialPortComponent::failed);
    port.setPortName(m_pty->slavePath());
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));

    QCOMPARE(port.setLineSettings("57600,n,8,1"), QString());
    // A pty takes neither 7 data bits nor parity: it says so, and keeps the
    // whole setting it had, speed too.
    const QString reason = port.setLineSettings("19200,E,7,2");
    QVERIFY2(reason.contains("refused"), qPrintable(reason));
    QVERIFY2(reason.contains("7 data bits") && reason.contains("even parity"), qPrintable(reason));
    termios kept{};
    QCOMPARE(tcgetattr(m_pty->masterFd(), &kept), 0);
    QCOMPARE(cfgetospeed(&kept), speed_t(B57600));
    QCOMPARE(port.settingsInUse(), QStringLiteral("57600,n,8,1"));

    QVERIFY(port.openState());
    port.transmitText("still here");
    QCOMPARE(m_pty->read(10), QByteArray("still here"));
    QByteArray received;
    connect(&port, &SerialPortComponent::received, this,
            [&](const QByteArray &batch) { received += batch; });
    m_pty->write("and back");
    QTRY_COMPARE_WITH_TIMEOUT(received, QByteArray("and back"), 5000);

    // Good settings afterwards are taken again.
    const QString again = port.setLineSettings("9600,N,8,1");
    QVERIFY2(again.isEmpty(), qPrintable(again));
    QTest::qWait(100);
    QCOMPARE(failures.count(), 0);
    QVERIFY(port.openState());
}

void TestSerialPortComponent::malformedSettings_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("named");
    QTest::newRow("parity x") << "9600,x,8,1"
                              << "parity";
    QTest::newRow("speed letters") << "abc,n,8,1"
                                   << "speed";
    QTest::newRow("nine data bits") << "9600,n,9,1"
                                    << "data bits";
    QTest::newRow("empty") << ""
                           << "empty";
    QTest::newRow("three fields") << "9600,n,8"
                                  << "four";
    QTest::newRow("three stop bits") << "9600,n,8,3"
                                     << "stop bits";
}

void TestSerialPortComponent::malformedSettings()
{
    QFETCH(QString, settings);
    QFETCH(QString, named);

    SerialPortComponent port;
    QSignalSpy failures(&port, &SerialPortComponent::failed);
    // Malformed text is refused whether or not the port is open.
    QString reason = port.setLineSettings(settings);
    QVERIFY2(reason.contains(named), qPrintable(reason));

    port.setPortName(m_pty->slavePath());
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));
    reason = port.setLineSettings(settings);
    QVERIFY2(reason.contains(named), qPrintable(reason));
    QVERIFY(port.openState());
    QCOMPARE(failures.count(), 0);
}

void TestSerialPortComponent::settingsWhileClosed()
{
    SerialPortComponent port;
    port.setPortName(m_pty->slavePath());
    const QString reason = port.setLineSettings("9600,n,8,1");
    QVERIFY2(reason.contains("not open"), qPrintable(reason));
}

void TestSerialPortComponent::unpluggedDeviceFailsOnce()
{
    SerialPortComponent port;
    QSignalSpy batches(&port, &SerialPortComponent::received);
    QSignalSpy failures(&port, &SerialPortComponent::failed);
    port.setPortName(m_pty->slavePath());
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));

    m_pty->closeMaster();
    QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, 5000);
    QVERIFY(!port.openState());
    const QString reason = failures.at(0).at(0).toString();
    QVERIFY2(reason.contains(m_pty->slavePath()), qPrintable(reason));
    QVERIFY2(reason.contains(QLatin1String("was removed or hung up")), qPrintable(reason));

    // The first error closed the port, so no repeats follow.
    QTest::qWait(500);
    QCOMPARE(failures.count(), 1);
    QVERIFY(!port.openState());
    QCOMPARE(batches.count(), 0);
    port.setOpenState(false); // closing the failed port is harmless too
    QCOMPARE(failures.count(), 1);

    // The failed port no longer counts as held by this program.
    SerialPortComponent other;
    other.setPortName(m_pty->slavePath());
    other.setOpenState(true);
    QVERIFY2(!other.openError().contains("already open"), qPrintable(other.openError()));
}

void TestSerialPortComponent::lastBytesComeBeforeTheFailure()
{
    SerialPortComponent port;
    port.setPortName(m_pty->slavePath());
    port.setOpenState(true);
    QVERIFY2(port.openState(), qPrintable(port.openError()));

    QStringList events;
    QByteArray received;
    connect(&port, &SerialPortComponent::received, this, [&](const QByteArray &batch) {
        events.append("receive");
        received += batch;
    });
    connect(&port, &SerialPortComponent::failed, this, [&] { events.append("failed"); });

    // The last bytes, then the device's end.
    m_pty->write("last words");
    QTRY_VERIFY_WITH_TIMEOUT(!events.isEmpty(), 5000);
    m_pty->closeMaster();
    QTRY_VERIFY_WITH_TIMEOUT(events.contains("failed"), 5000);

    QCOMPARE(received, QByteArray("last words"));
    QCOMPARE(events.first(), QStringLiteral("receive"));
    QCOMPARE(events.last(), QStringLiteral("failed"));
    QCOMPARE(events.count("failed"), 1);
}

QTEST_GUILESS_MAIN(TestSerialPortComponent)
#include "tst_serial_port_component.moc"
