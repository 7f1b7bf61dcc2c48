#include "core/mqtt/mqtt_disk_queue.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray queuedPayload(qint64 index, int bytes)
{
    return QByteArray::number(index).leftJustified(bytes, '.');
}

} // namespace

// The queue hands out its newest messages from memory and the rest from its
// files: every message must come out once, in order, with its own payload,
// wherever the send cursor crosses from files to memory.
class TestMqttDiskQueue : public QObject
{
    Q_OBJECT

private slots:
    void takesEveryMessageInOrder_data();
    void takesEveryMessageInOrder();
};

void TestMqttDiskQueue::takesEveryMessageInOrder_data()
{
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("payloadBytes");
    QTest::addColumn<bool>("reopened"); // closed and opened again after a tenth was confirmed

    // More than memory holds: the oldest come from the files.
    QTest::newRow("longer than memory") << 100000 << 200 << false;
    QTest::newRow("reopened") << 3000 << 100 << true;
}

void TestMqttDiskQueue::takesEveryMessageInOrder()
{
    QFETCH(int, messages);
    QFETCH(int, payloadBytes);
    QFETCH(bool, reopened);

    QTemporaryDir dir;
    MqttDiskQueue queue;
    const qint64 bound = qint64(64) << 20;
    QVERIFY(queue.open(dir.path(), bound).isEmpty());
    for (int n = 1; n <= messages; ++n)
        QVERIFY(queue.append("t", queuedPayload(n, payloadBytes)));
    // Fewer than memory leaves out: the cursor crosses from the files to memory.
    const qint64 confirmed = messages / 10;
    queue.take(int(confirmed));
    // Two confirmations close together: the second reaches the file on close().
    queue.acknowledge(confirmed - 1);
    queue.acknowledge(confirmed);
    if (reopened) {
        queue.close();
        QVERIFY(queue.open(dir.path(), bound).isEmpty());
    }
    queue.rewind();
    QCOMPARE(queue.firstUnconfirmed(), confirmed + 1);
    qint64 expected = confirmed + 1;
    while (queue.hasUntaken()) {
        const QList<MqttDiskQueue::Message> taken = queue.take(256);
        QVERIFY(!taken.isEmpty());
        for (const MqttDiskQueue::Message &message : taken) {
            QCOMPARE(message.index, expected);
            QCOMPARE(message.payload, queuedPayload(expected, payloadBytes));
            ++expected;
        }
    }
    QCOMPARE(expected, qint64(messages) + 1);
    QVERIFY(queue.error().isEmpty());
}

QTEST_GUILESS_MAIN(TestMqttDiskQueue)
#include "tst_mqtt_disk_queue.moc"
