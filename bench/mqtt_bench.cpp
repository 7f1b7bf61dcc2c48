#include "mqtt_bench.h"

#include "bench_table.h"
#include "mqtt_ceiling.h"
#include "process_memory.h"

#include "devices/capture_session.h"
#include "devices/mqtt_publisher.h"
#include "support/mosquitto_broker.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>

namespace {

QByteArray mqttBenchLines(int count)
{
    QByteArray data;
    for (int line = 0; line < count; ++line)
        data += QByteArray::number(line).rightJustified(8, '0') +
                " T=23.4C P=1013.2hPa RH=40% status ok\r\n";
    return data;
}

struct MqttBenchRun
{
    double seconds = 0;
    double cpuSeconds = 0;
    bool complete = false;
};

// Feeds `data` as channel 1's received bytes, 64 KB at a time, and waits
// until the broker confirmed everything and the subscriber has `lines`.
MqttBenchRun mqttBenchFeed(const QByteArray &data, int lines, bool publish, quint16 port,
                           MqttTestSubscriber *subscriber)
{
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    CaptureSession session;
    session.setSignOnDefaults();
    MqttSettings settings;
    settings.publish = publish;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    settings.node = QStringLiteral("bench");
    session.publisher().apply(settings);
    QDeadlineTimer connecting(10000);
    while (publish && !session.publisher().status().connected && !connecting.hasExpired())
        QTest::qWait(10);
    const qsizetype before = subscriber ? subscriber->count() : 0;
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = processCpuSeconds();
    for (qsizetype at = 0; at < data.size(); at += 65536) {
        session.channel(1).receiveReplayed(data.mid(at, 65536));
        QCoreApplication::processEvents();
    }
    MqttBenchRun run;
    QDeadlineTimer deadline(120000);
    // Waits in the event loop, as the program does, woken every 5 ms to
    // look at the subscriber (processEvents() alone would return at once
    // and spin a core, which the processor time would count).
    QEventLoop waiting;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &waiting, [&] {
        if (!deadline.hasExpired() &&
            (session.publisher().status().queued > 0 || subscriber->count() - before < lines))
            return;
        waiting.quit();
    });
    look.start(5);
    if (publish)
        waiting.exec();
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.cpuSeconds = processCpuSeconds() - cpuBefore;
    run.complete = !publish || subscriber->count() - before >= lines;
    return run;
}

} // namespace

void mqttBench(BenchTable &table, bool quick)
{
    MosquittoBroker broker;
    MqttTestSubscriber subscriber;
    if (!broker.start() || !subscriber.subscribe(broker.port(), "varnokterm/bench/1/rx")) {
        table.row(QStringLiteral("MQTT publishing"), QStringLiteral("no broker (mosquitto)"));
        return;
    }
    const int lines = quick ? 50'000 : 500'000;
    const QByteArray data = mqttBenchLines(lines);
    const double megabytes = data.size() / 1048576.0;
    const MqttBenchRun on = mqttBenchFeed(data, lines, true, broker.port(), &subscriber);
    const double perSecond = lines / on.seconds;
    table.row(QStringLiteral("lines published at QoS 1 to 127.0.0.1, %1 lines of %2 B, JSON")
                  .arg(lines)
                  .arg(data.size() / lines),
              QStringLiteral("%1 lines/s until the subscriber had them (%2 s), %3")
                  .arg(perSecond, 0, 'f', 0)
                  .arg(on.seconds, 0, 'f', 2)
                  .arg(on.complete ? "complete" : "**incomplete**"),
              QStringLiteral(">= 50000 lines/s"), on.complete && perSecond >= 50000);
    // The same broker and subscriber with no program in the way: the
    // program's last message sent again by a bare client, the same window.
    const QList<MqttTestSubscriber::Message> got = subscriber.messages();
    const QByteArray payload = got.isEmpty() ? QByteArray(200, 'x') : got.last().payload;
    const double ceiling = mqttBareClientRate(broker.port(), "varnokterm/bench/1/rx", payload,
                                              lines, MqttPublisher::sendWindow, subscriber);
    table.row(
        QStringLiteral("this machine's ceiling: a bare libmosquitto client publishing the "
                       "program's message (%1 B) %2 times at QoS 1, %3 in flight, to the "
                       "same broker and subscriber")
            .arg(payload.size())
            .arg(lines)
            .arg(MqttPublisher::sendWindow),
        ceiling > 0
            ? QStringLiteral("%1 messages/s until the subscriber had them").arg(ceiling, 0, 'f', 0)
            : QStringLiteral("**incomplete**"));
    const MqttBenchRun off = mqttBenchFeed(data, lines, false, broker.port(), nullptr);
    table.row(QStringLiteral("processor time per MB received, publishing on vs off"),
              QStringLiteral("%1 ms/MB vs %2 ms/MB (%3 MB)")
                  .arg(on.cpuSeconds * 1000 / megabytes, 0, 'f', 1)
                  .arg(off.cpuSeconds * 1000 / megabytes, 0, 'f', 1)
                  .arg(megabytes, 0, 'f', 1));
}
