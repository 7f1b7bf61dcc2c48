// An MQTT queue's folder as a crash or a damaged disk may leave it: any
// bytes as its segment file open without fault, give consecutive indexes
// from the first unconfirmed one, and a message appended afterwards reads
// back whole after the folder is opened again. Any bytes as a line make a
// JSON message whose "line" reads back as the bytes read as UTF-8.
#include "core/mqtt/mqtt_disk_queue.h"
#include "core/mqtt/mqtt_line_payload.h"
#include "fuzz_check.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g_input = QByteArrayView(data, qsizetype(size));

    const QByteArray json = mqttLineJson(1'700'000'000'000, 1, "node", 7, g_input);
    const QJsonObject read = QJsonDocument::fromJson(json).object();
    check(read.value(QLatin1String("line")).toString() == QString::fromUtf8(g_input),
          "a line does not read back from its JSON message");
    check(read.value(QLatin1String("seq")).toInteger() == 7, "the sequence number is lost");

    QTemporaryDir folder;
    QFile segment(folder.filePath(QStringLiteral("00000000000000000001.seg")));
    if (!segment.open(QIODevice::WriteOnly) || segment.write(g_input.toByteArray()) != qint64(size))
        return 0;
    segment.close();
    MqttDiskQueue queue;
    check(queue.open(folder.path(), 0).isEmpty(), "a damaged segment is refused");
    qint64 expected = queue.firstUnconfirmed();
    while (queue.hasUntaken()) {
        const QList<MqttDiskQueue::Message> taken = queue.take(64);
        check(!taken.isEmpty(), "the queue holds messages it cannot hand out");
        for (const MqttDiskQueue::Message &message : taken)
            check(message.index == expected++, "indexes are not consecutive");
    }
    const qint64 index = queue.nextIndex();
    check(queue.append("t", "last"), "a message can't be appended");
    queue.close();
    check(queue.open(folder.path(), 0).isEmpty(), "the queue does not open again");
    queue.acknowledge(index - 1);
    const QList<MqttDiskQueue::Message> last = queue.take(1);
    check(last.size() == 1 && last.first().index == index && last.first().topic == "t" &&
              last.first().payload == "last",
          "the appended message does not read back");
    return 0;
}
