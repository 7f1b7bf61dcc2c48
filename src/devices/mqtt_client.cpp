#include "devices/mqtt_client.h"

#include <QFile>
#include <QHash>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

constexpr int mqttRetryMs = 1000;
// Confirmations go to the caller in batches of this many, or when nothing
// else is in flight, or after mqttDeliverMs: one wake-up of the caller's
// thread for many messages instead of one for each.
constexpr int mqttDeliverBatch = 64;
constexpr int mqttDeliverMs = 2;

QString mqttErrorText(int rc)
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

// The connection itself; lives on the client's thread, where every call
// into libmosquitto is made (its own threads are not used).
class MqttClientWorker : public QObject
{
public:
    explicit MqttClientWorker(MqttClient *client)
        : m_client(client)
    {
        m_retry.setSingleShot(true);
        connect(&m_retry, &QTimer::timeout, this, &MqttClientWorker::connectNow);
        m_deliver.setSingleShot(true);
        m_deliver.setTimerType(Qt::PreciseTimer);
        connect(&m_deliver, &QTimer::timeout, this, &MqttClientWorker::deliverConfirmed);
        connect(&m_misc, &QTimer::timeout, this, [this] {
            if (m_mosq)
                afterCall(mosquitto_loop_misc(m_mosq));
        });
    }
    ~MqttClientWorker() override { dropConnection(); }

    void open(const MqttClient::Options &options)
    {
        m_options = options;
        m_open = true;
        dropConnection();
        connectNow();
    }

    void close()
    {
        m_open = false;
        m_retry.stop();
        if (m_mosq && m_connected) {
            mosquitto_publish(m_mosq, nullptr, m_options.statusTopic.constData(), 7, "offline", 0,
                              true);
            mosquitto_disconnect(m_mosq);
        }
        dropConnection();
    }

    void publish(int connection, const QList<MqttDiskQueue::Message> &messages, int qos)
    {
        if (!m_connected || connection != m_connection)
            return; // the caller sends them again on the new connection
        int rc = MOSQ_ERR_SUCCESS;
        for (const MqttDiskQueue::Message &message : messages) {
            int mid = 0;
            rc = mosquitto_publish(m_mosq, &mid, message.topic.constData(),
                                   int(message.payload.size()), message.payload.constData(), qos,
                                   false);
            if (rc != MOSQ_ERR_SUCCESS)
                break;
            if (qos == 0)
                m_confirmed << message.index;
            else
                m_keys.insert(mid, message.index);
        }
        afterCall(rc);
    }

private:
    void connectNow()
    {
        if (!m_open || m_mosq)
            return;
        const QByteArray id = m_options.clientId.toUtf8();
        m_mosq = mosquitto_new(id.constData(), true, this);
        if (!m_mosq) {
            lose(mqttErrorText(MOSQ_ERR_ERRNO), false);
            return;
        }
        mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
        // The caller's window bounds what is in flight; libmosquitto keeps all of it.
        mosquitto_max_inflight_messages_set(m_mosq, 0);
        if (!m_options.username.isEmpty()) {
            mosquitto_username_pw_set(m_mosq, m_options.username.toUtf8().constData(),
                                      m_options.password.constData());
        }
        if (!m_options.caFile.isEmpty() && !setUpTls())
            return;
        mosquitto_will_set(m_mosq, m_options.statusTopic.constData(), 7, "offline", 1, true);
        mosquitto_connect_callback_set(m_mosq, [](mosquitto *, void *self, int rc) {
            static_cast<MqttClientWorker *>(self)->onConnack(rc);
        });
        mosquitto_disconnect_callback_set(m_mosq, [](mosquitto *, void *self, int) {
            static_cast<MqttClientWorker *>(self)->m_lostReason =
                QObject::tr("the broker closed the connection");
        });
        mosquitto_publish_callback_set(m_mosq, [](mosquitto *, void *self, int mid) {
            auto *worker = static_cast<MqttClientWorker *>(self);
            const auto key = worker->m_keys.constFind(mid);
            if (key != worker->m_keys.cend()) {
                worker->m_confirmed << *key;
                worker->m_keys.erase(key);
            }
        });
        mosquitto_message_callback_set(
            m_mosq, [](mosquitto *, void *self, const mosquitto_message *message) {
                auto *worker = static_cast<MqttClientWorker *>(self);
                emit worker->m_client->messageArrived(
                    QByteArray(message->topic),
                    QByteArray(static_cast<const char *>(message->payload), message->payloadlen));
            });
        const int rc = mosquitto_connect(m_mosq, m_options.host.toUtf8().constData(),
                                         m_options.port, m_options.keepAliveSeconds);
        if (rc != MOSQ_ERR_SUCCESS) {
            lose(failureText(rc), false);
            return;
        }
        const int socket = mosquitto_socket(m_mosq);
        m_reading = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        connect(m_reading, &QSocketNotifier::activated, this,
                [this] { afterCall(mosquitto_loop_read(m_mosq, 1)); });
        m_writing = new QSocketNotifier(socket, QSocketNotifier::Write, this);
        connect(m_writing, &QSocketNotifier::activated, this,
                [this] { afterCall(mosquitto_loop_write(m_mosq, 1)); });
        m_misc.start(1000);
        afterCall(MOSQ_ERR_SUCCESS);
    }

    // The broker is checked against the CA file (and its name against its
    // certificate); the client shows its own certificate when it has one.
    // What OpenSSL says about a failed handshake reaches only the log
    // callback: it is kept for the reason lost() gives.
    bool setUpTls()
    {
        const QByteArray ca = QFile::encodeName(m_options.caFile);
        const QByteArray cert = QFile::encodeName(m_options.certFile);
        const QByteArray key = QFile::encodeName(m_options.keyFile);
        const int rc = mosquitto_tls_set(m_mosq, ca.constData(), nullptr,
                                         cert.isEmpty() ? nullptr : cert.constData(),
                                         key.isEmpty() ? nullptr : key.constData(), nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            lose(QObject::tr("the CA file %1 or the certificate and key files can't be used: %2")
                     .arg(m_options.caFile, mqttErrorText(rc)),
                 false);
            return false;
        }
        mosquitto_log_callback_set(m_mosq,
                                   [](mosquitto *, void *self, int level, const char *text) {
                                       auto *worker = static_cast<MqttClientWorker *>(self);
                                       if (level == MOSQ_LOG_ERR && worker->m_tlsError.isEmpty() &&
                                           std::strncmp(text, "OpenSSL Error", 13) == 0)
                                           worker->m_tlsError = QString::fromUtf8(text);
                                   });
        return true;
    }

    // Why a call failed, in words: a TLS failure says what OpenSSL said and
    // which CA file the broker was checked against.
    QString failureText(int rc) const
    {
        if (rc != MOSQ_ERR_TLS)
            return mqttErrorText(rc);
        const QString detail = m_tlsError.section(QLatin1String("error:"), 1).section(u':', 4);
        return QObject::tr("the TLS handshake failed (%1); the broker's certificate was checked "
                           "against the CA file %2")
            .arg(detail.isEmpty() ? mqttErrorText(rc) : detail, m_options.caFile);
    }

    void onConnack(int rc)
    {
        if (rc != 0) {
            m_refusal = QString::fromUtf8(mosquitto_connack_string(rc));
            return;
        }
        m_connected = true;
        ++m_connection;
        mosquitto_publish(m_mosq, nullptr, m_options.statusTopic.constData(), 6, "online", 1, true);
        if (!m_options.subscribeTopic.isEmpty())
            mosquitto_subscribe(m_mosq, nullptr, m_options.subscribeTopic.constData(), 1);
        emit m_client->connected(m_connection);
    }

    // After each call into libmosquitto: a failure or a refusal ends the
    // connection (never inside its callbacks); else the socket is watched
    // for writing only while something waits to be written.
    void afterCall(int rc)
    {
        if (m_confirmed.size() >= mqttDeliverBatch || (!m_confirmed.isEmpty() && m_keys.isEmpty()))
            deliverConfirmed();
        else if (!m_confirmed.isEmpty() && !m_deliver.isActive())
            m_deliver.start(mqttDeliverMs);
        if (!m_mosq)
            return;
        if (!m_refusal.isEmpty()) {
            lose(std::exchange(m_refusal, {}), true);
            return;
        }
        if (rc != MOSQ_ERR_SUCCESS || !m_lostReason.isEmpty()) {
            const bool saidByLibrary = m_lostReason.isEmpty() || rc == MOSQ_ERR_TLS;
            lose(saidByLibrary ? failureText(rc) : m_lostReason, false);
            return;
        }
        m_writing->setEnabled(mosquitto_want_write(m_mosq));
    }

    void lose(const QString &reason, bool refused)
    {
        deliverConfirmed(); // what the broker has, before lost() says the rest is not
        dropConnection();
        emit m_client->lost(reason, refused);
        if (m_open)
            m_retry.start(mqttRetryMs);
    }

    void deliverConfirmed()
    {
        m_deliver.stop();
        if (!m_confirmed.isEmpty())
            emit m_client->delivered(std::exchange(m_confirmed, {}));
    }

    void dropConnection()
    {
        m_deliver.stop();
        m_confirmed.clear();
        delete m_reading;
        m_reading = nullptr;
        delete m_writing;
        m_writing = nullptr;
        m_misc.stop();
        if (m_mosq)
            mosquitto_destroy(m_mosq);
        m_mosq = nullptr;
        m_connected = false;
        m_keys.clear();
        m_lostReason.clear();
        m_refusal.clear();
        m_tlsError.clear();
    }

    MqttClient *const m_client;
    MqttClient::Options m_options;
    mosquitto *m_mosq = nullptr;
    QSocketNotifier *m_reading = nullptr;
    QSocketNotifier *m_writing = nullptr;
    QTimer m_retry{this};
    QTimer m_misc{this};
    QTimer m_deliver{this};
    QHash<int, qint64> m_keys; // message id -> the caller's key, until confirmed
    QList<qint64> m_confirmed; // since the last call into libmosquitto
    QString m_lostReason;
    QString m_refusal;
    QString m_tlsError; // OpenSSL's first complaint on this connection
    int m_connection = 0;
    bool m_connected = false;
    bool m_open = false;
};

MqttClient::MqttClient(QObject *parent)
    : QObject(parent)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { mosquitto_lib_init(); });
    m_worker = new MqttClientWorker(this);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("MQTT"));
    m_thread.start();
}

MqttClient::~MqttClient()
{
    close();
    m_thread.quit();
    m_thread.wait();
}

void MqttClient::open(const Options &options)
{
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, options] { worker->open(options); });
}

void MqttClient::close()
{
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker] { worker->close(); }, Qt::BlockingQueuedConnection);
}

void MqttClient::publish(int connection, QList<MqttDiskQueue::Message> messages, int qos)
{
    QMetaObject::invokeMethod(m_worker,
                              [connection, qos, worker = m_worker, messages = std::move(messages)] {
                                  worker->publish(connection, messages, qos);
                              });
}

QString MqttClient::libraryVersion()
{
    int major = 0, minor = 0, revision = 0;
    mosquitto_lib_version(&major, &minor, &revision);
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

#include "moc_mqtt_client.cpp"
