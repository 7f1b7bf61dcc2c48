#pragma once

#include "core/mqtt/mqtt_disk_queue.h"
#include "core/mqtt/mqtt_line_payload.h"
#include "core/mqtt/mqtt_settings.h"
#include "core/plot/number_finder.h"
#include "devices/mqtt_client.h"

#include <QList>
#include <QLockFile>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>

class Channel;

// Publishes what the channels receive to an MQTT broker (MqttSettings says
// where and how) so that nothing is lost while the broker is away:
//     Channel::batchReceived --> MqttLineCutter (lines) and the message's form
//       --> MqttDiskQueue (on disk, bounded, oldest dropped and counted)
//       --> MqttClient (its own thread), in batches, at most sendWindow in flight
//       --delivered--> the queue forgets them, in order
// A lost connection sends again from the first message the broker had not
// confirmed, on the next connection, in order. The queue's folder is named
// by the client id (MqttDiskQueue::folderFor), so a program started again
// with the same settings sends what the last one left.
//
// With publishValues on, the numbers each line holds (NumberFinder, with
// the channel's plot pattern) go out too, on the values topic, one message
// per line that holds any.
//
// With sendFromBroker on, what a broker client publishes on a channel's tx
// topic goes out of that channel as if sent from a file.
class MqttPublisher : public QObject
{
    Q_OBJECT

public:
    // Messages in flight at once. Kept small: libmosquitto walks its whole
    // list of messages in flight on every confirmation, so each message
    // costs in proportion to the window (20000 gave about 1,000 lines/s).
    static constexpr int sendWindow = 256;
    // Messages handed to the connection's thread at once.
    static constexpr int sendBatch = 256;

    struct Status
    {
        bool on = false;
        bool connected = false;
        qint64 queued = 0;  // kept and not yet confirmed by the broker
        qint64 dropped = 0; // dropped to keep the queue's bound, since publishing started
        QString problem;    // why it is not connected, or empty
    };

    explicit MqttPublisher(const QList<Channel *> &channels, QObject *parent = nullptr);
    ~MqttPublisher() override;

    // Starts, changes or stops (settings.publish off) publishing. Empty, or
    // why it can't start (the password file, the queue's folder); then it is off.
    QString apply(const MqttSettings &settings);
    // Stops publishing; what the broker has not confirmed stays in the queue's folder.
    void stop();
    const MqttSettings &settings() const { return m_settings; }
    Status status() const;
    // "MQTT: connected, queued 12, dropped 0", in the status line's words.
    static QString statusText(const Status &status);
    QString queueFolder() const { return m_queue.folder(); }

signals:
    // The status changed (at most a few times a second).
    void statusChanged();
    // A line for the log: connected, lost and why, refused, messages dropped.
    void noted(const QString &text);

private:
    void onBatch(int channel, const QByteArray &batch, qint64 arrivalMs);
    void onChannelClosed(int channel);
    void appendLines(int channel, const QList<MqttLineCutter::Line> &lines);
    void pump();
    void onConnected(int connection);
    void onLost(const QString &reason, bool refused);
    void onDelivered(const QList<qint64> &indexes);
    void acknowledgeDelivered();
    void onMessageArrived(const QByteArray &topic, const QByteArray &payload);
    void reportStatus();

    QList<Channel *> m_channels;
    QList<QMetaObject::Connection> m_hooks;
    QList<MqttLineCutter> m_cutters; // by channel number - 1
    QList<NumberFinder> m_finders;   // for publishValues, by channel number - 1
    MqttSettings m_settings;
    QByteArray m_node;
    MqttDiskQueue m_queue;
    std::unique_ptr<QLockFile> m_queueLock;
    std::unique_ptr<MqttClient> m_client;
    int m_connection = 0;
    bool m_connected = false;
    int m_inFlight = 0;
    qint64 m_nextUnconfirmed = 0;
    QSet<qint64> m_deliveredAhead; // confirmed out of order, waiting for those before
    QString m_problem;
    QTimer m_statusTimer;
    QTimer m_acknowledgeTimer;
    qint64 m_droppedReported = 0;
};
