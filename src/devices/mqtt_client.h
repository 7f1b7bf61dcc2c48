#pragma once

#include "core/mqtt/mqtt_disk_queue.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

class MqttClientWorker;

// One connection to an MQTT broker through libmosquitto, run on a thread of
// its own: its socket, keep-alive and TLS never wait on the window, nor the
// window on them. Everything crosses the thread as queued calls and signals.
//
// open() connects and keeps connecting again (a second after each failure
// or loss) until close(). Each connection has a number (connected()'s
// `connection`); a message published with an older number than the current
// one is dropped unsent, so that after a loss the caller can send again in
// order from what the broker had not confirmed (lost() says it is time).
// The connection's last will puts "offline" on the status topic; on every
// connect "online" goes there (both retained). A clean session is used: the
// caller, not the broker, keeps what waits.
class MqttClient : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString host;
        int port = 1883;
        QString clientId;
        QString username;
        QByteArray password; // with a username only
        QString caFile;      // set: TLS, the broker checked against this CA
        QString certFile;    // with TLS: the client's certificate, or none
        QString keyFile;     // and its key
        int keepAliveSeconds = 60;
        QByteArray statusTopic;
        QByteArray subscribeTopic; // empty: nothing is subscribed
    };

    explicit MqttClient(QObject *parent = nullptr);
    ~MqttClient() override;

    void open(const Options &options);
    // Publishes "offline", disconnects and stops trying; what was in flight is not confirmed.
    void close();
    // Hands messages to connection `connection`, in one crossing of the
    // thread; delivered() names each one's index once the broker has it
    // (QoS 1: its acknowledgement; QoS 0: handed to the socket).
    void publish(int connection, QList<MqttDiskQueue::Message> messages, int qos);

    // libmosquitto's version, "2.0.11".
    static QString libraryVersion();

signals:
    void connected(int connection);
    // The connection was lost or could not be made; it is tried again.
    // `refused` when the broker said no (name, password, client id) rather
    // than was not reached.
    void lost(const QString &reason, bool refused);
    // Indexes the broker confirmed: 64 at a time, or what came within 2 ms,
    // or the last ones in flight.
    void delivered(const QList<qint64> &indexes);
    void messageArrived(const QByteArray &topic, const QByteArray &payload);

private:
    QThread m_thread;
    MqttClientWorker *m_worker = nullptr;
};
