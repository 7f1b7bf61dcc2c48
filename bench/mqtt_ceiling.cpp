#include "mqtt_ceiling.h"

#include "support/mosquitto_broker.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QThread>

#include <mosquitto.h>

#include <atomic>

namespace {

struct BareClient
{
    QSemaphore room;
    QSemaphore connected;
    std::atomic<int> confirmed{0};
};

} // namespace

double mqttBareClientRate(quint16 port, const QByteArray &topic, const QByteArray &payload,
                          int count, int window, const MqttTestSubscriber &subscriber)
{
    const qsizetype before = subscriber.count();
    BareClient client;
    client.room.release(window);
    mosquitto *mosq = mosquitto_new("bare-ceiling", true, &client);
    mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_max_inflight_messages_set(mosq, 0); // the window above bounds it
    mosquitto_connect_callback_set(mosq, [](mosquitto *, void *self, int rc) {
        if (rc == 0)
            static_cast<BareClient *>(self)->connected.release();
    });
    mosquitto_publish_callback_set(mosq, [](mosquitto *, void *self, int) {
        auto *bare = static_cast<BareClient *>(self);
        ++bare->confirmed;
        bare->room.release();
    });
    double rate = 0;
    if (mosquitto_connect(mosq, "127.0.0.1", port, 60) == MOSQ_ERR_SUCCESS &&
        mosquitto_loop_start(mosq) == MOSQ_ERR_SUCCESS) {
        if (client.connected.tryAcquire(1, 10000)) {
            QElapsedTimer clock;
            clock.start();
            bool stalled = false;
            for (int sent = 0; sent < count && !stalled; ++sent) {
                stalled = !client.room.tryAcquire(1, 60000);
                if (!stalled)
                    mosquitto_publish(mosq, nullptr, topic.constData(), int(payload.size()),
                                      payload.constData(), 1, false);
            }
            stalled = stalled || !client.room.tryAcquire(window, 60000);
            QElapsedTimer waited;
            waited.start();
            while (!stalled && subscriber.count() - before < count && waited.elapsed() < 60000)
                QThread::usleep(500);
            if (!stalled && client.confirmed == count && subscriber.count() - before >= count)
                rate = count / (clock.nsecsElapsed() / 1e9);
        }
        mosquitto_disconnect(mosq);
        mosquitto_loop_stop(mosq, false);
    }
    mosquitto_destroy(mosq);
    return rate;
}
