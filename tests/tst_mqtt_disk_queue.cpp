#include "core/mqtt/mqtt_disk_queue.h"

#include <QTemporaryDir>
#include <QTest>

// Every message comes out once, in order, with its payload, wherever the
// send cursor crosses from the queue's files to its memory.
class TestMqttDiskQueue : public QObject
{
    Q_OBJECT

private slots:
    void takesEveryMessageInOrder_data()
    {
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("reopened"); // after a tenth was confirmed
        QTest::newRow("longer than memory") << 100000 << false;
        QTest::newRow("reopened") << 3000 << true;
    }

    void takesEveryMessageInOrder()
    {
        QFETCH(int, messages);
        QFETCH(bool, reopened);
        const auto payload = [](qint64 n) {
            return QByteArray::number(n).leftJustified(200);
        };
        QTemporaryDir dir;
        MqttDiskQueue queue;
        QVERIFY(queue.open(dir.path(), qint64(64) << 20).isEmpty());
        for (int n = 1; n <= messages; ++n)
            QVERIFY(queue.append("t", payload(n)));
        const qint64 confirmed = messages / 10;
        queue.take(int(confirmed));
        queue.acknowledge(confirmed - 1);
        queue.acknowledge(confirmed); // soon after: it reaches the file on close()
        if (reopened) {
            queue.close();
            QVERIFY(queue.open(dir.path(), qint64(64) << 20).isEmpty());
        }
        queue.rewind();
        qint64 expected = confirmed + 1;
        QCOMPARE(queue.firstUnconfirmed(), expected);
        for (QList<MqttDiskQueue::Message> taken; !(taken = queue.take(256)).isEmpty();) {
            for (const MqttDiskQueue::Message &message : taken) {
                QCOMPARE(message.index, expected);
                QCOMPARE(message.payload, payload(expected++));
            }
        }
        QCOMPARE(expected, qint64(messages) + 1);
        QVERIFY(queue.error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMqttDiskQueue)
#include "tst_mqtt_disk_queue.moc"
