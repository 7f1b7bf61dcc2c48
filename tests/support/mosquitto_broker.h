#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

struct mosquitto;

// Debian's mosquitto broker on 127.0.0.1 only, with a configuration file of
// its own (persistence in its own folder, no limit on what it queues for a
// subscriber), for as long as this object lives; stopped by its process id.
class MosquittoBroker
{
public:
    static constexpr char program[] = "/usr/sbin/mosquitto";
    static bool isInstalled();

    // With a user and password, anonymous clients are refused.
    bool start(const QString &user = {}, const QString &password = {});
    // Before start(): a second listener on 127.0.0.1 (tlsPort()) speaks TLS
    // with the server's certificate and key; with `requireCertificate` a
    // client must show a certificate the CA signed.
    void setTls(const QString &caFile, const QString &certFile, const QString &keyFile,
                bool requireCertificate);
    quint16 tlsPort() const { return m_tlsPort; }
    // Stops it (saving its persistent sessions); start() again takes the same port.
    void stop();
    quint16 port() const { return m_port; }
    ~MosquittoBroker();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    quint16 m_tlsPort = 0;
    QByteArray m_tlsListener; // its lines of the configuration
};

// A subscriber with a persistent session (QoS 1): what the broker keeps for
// it while it is away arrives once it is back. Its messages are collected
// by libmosquitto's own thread.
class MqttTestSubscriber
{
public:
    struct Message
    {
        QByteArray topic;
        QByteArray payload;
    };
    ~MqttTestSubscriber();
    // Returns once the broker confirmed the subscription.
    bool subscribe(quint16 port, const QByteArray &topic, const QByteArray &clientId = "tester");
    // Waits until it has subscribed `count` times (once per connection).
    bool waitForSubscriptions(int count, int timeoutMs);
    // Publishes one message at QoS 1.
    bool publish(const QByteArray &topic, const QByteArray &payload);
    QList<Message> messages() const;
    qsizetype count() const;
    // Waits (running the event loop) until `count` messages are there.
    bool waitFor(qsizetype count, int timeoutMs);

private:
    mosquitto *m_mosq = nullptr;
    QByteArray m_topic;
    mutable QMutex m_mutex;
    QList<Message> m_messages;
    int m_subscriptions = 0;
};
