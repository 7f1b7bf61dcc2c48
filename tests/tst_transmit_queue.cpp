// The queue between a channel's transmit line and its device: bounded, in
// order, never more in the device than its share.
#include "devices/transmit_queue.h"

#include <QTest>

class TestTransmitQueue : public QObject
{
    Q_OBJECT

private slots:
    void boundsWhatWaits_data();
    void boundsWhatWaits();
    void drainsInOrderAsTheDeviceTakes();
};

// Each row: the limit, how much the device already holds, the sizes pushed,
// which were accepted, and how many bytes reached the device.
void TestTransmitQueue::boundsWhatWaits_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<qint64>("backlog");
    QTest::addColumn<QList<int>>("pushes");
    QTest::addColumn<QList<bool>>("accepted");
    QTest::addColumn<qint64>("written");
    const qint64 full = TransmitQueue::deviceShare;

    QTest::newRow("device full, both fit")
        << qint64(10) << full << QList<int>{4, 6} << QList<bool>{true, true} << qint64(0);
    QTest::newRow("device full, refused whole")
        << qint64(10) << full << QList<int>{4, 7, 6} << QList<bool>{true, false, true} << qint64(0);
    QTest::newRow("device takes its share first")
        << qint64(10) << full - 6 << QList<int>{12} << QList<bool>{true} << qint64(6);
    QTest::newRow("too much even with room")
        << qint64(10) << full - 6 << QList<int>{20} << QList<bool>{false} << qint64(0);
    QTest::newRow("empty device takes all") << qint64(0) << qint64(0) << QList<int>{1000, 2000}
                                            << QList<bool>{true, true} << qint64(3000);
}

void TestTransmitQueue::boundsWhatWaits()
{
    QFETCH(qint64, limit);
    QFETCH(qint64, backlog);
    QFETCH(QList<int>, pushes);
    QFETCH(QList<bool>, accepted);
    QFETCH(qint64, written);

    TransmitQueue queue;
    queue.setLimit(limit);
    QByteArray device;
    queue.setDevice([&](QByteArrayView bytes) { device.append(bytes); },
                    [&] { return backlog + device.size(); });
    qint64 kept = 0;
    for (qsizetype i = 0; i < pushes.size(); ++i) {
        const bool taken = queue.push(Transmission(QByteArray(pushes.at(i), 'x')));
        QCOMPARE(taken, accepted.at(i));
        kept += taken ? pushes.at(i) : 0;
    }
    QCOMPARE(qint64(device.size()), written);
    QCOMPARE(queue.pending(), kept - written);
    QVERIFY(queue.pending() <= limit);
}

void TestTransmitQueue::drainsInOrderAsTheDeviceTakes()
{
    TransmitQueue queue;
    QByteArray device;
    qint64 deviceHolds = 0;
    // What listeners are told went out: the same bytes, in device-sized slices.
    QByteArray announced;
    qsizetype largest = 0;
    connect(&queue, &TransmitQueue::handedOver, this, [&](QByteArrayView bytes) {
        announced.append(bytes);
        largest = std::max(largest, bytes.size());
    });
    queue.setDevice(
        [&](QByteArrayView bytes) {
            device.append(bytes);
            deviceHolds += bytes.size();
        },
        [&] { return deviceHolds; });
    QByteArray expected;
    for (int i = 0; i < 40; ++i) {
        const QByteArray piece(5000, char('a' + i % 26));
        expected += piece;
        QVERIFY(queue.push(Transmission(piece)));
    }
    const QByteArray resend(150000, 'z'); // longer than the device's share
    expected += resend;
    QVERIFY(queue.push(Transmission(resend)));
    QCOMPARE(qint64(device.size()), TransmitQueue::deviceShare);
    while (queue.pending() > 0) {
        deviceHolds = 0; // the device sent what it held
        queue.drain();
    }
    QCOMPARE(device, expected);
    QCOMPARE(announced, expected);
    QVERIFY(largest <= TransmitQueue::deviceShare);
}

QTEST_GUILESS_MAIN(TestTransmitQueue)
#include "tst_transmit_queue.moc"
