#pragma once

#include <QByteArray>
#include <QString>

// How a capture node publishes its channels to an MQTT broker: the [MQTT]
// section of a setup file and the Publish to MQTT dialog. Topics are
// varnokterm/<node>/<channel number>/rx (what the channel receives),
// .../tx (what broker clients send out of the channel, only when sendFromBroker
// is on), .../values (the numbers found in each received line, only when
// publishValues is on) and varnokterm/<node>/status ("online", and "offline" as the
// connection's last will, both retained).
struct MqttSettings
{
    // What one message holds.
    enum class Form
    {
        JsonLines, // one line: {"time","channel","node","seq","line"}
        RawLines,  // one line's bytes, without its line end
        Batches,   // the bytes of one received batch, as they came
    };

    bool publish = false;
    QString host;
    int port = 1883;
    QString clientId; // empty: "varnokterm-<node>"
    QString node;     // empty: this machine's host name
    QString username;
    QString passwordFile; // its first line is the password
    QString caFile;       // set: the connection uses TLS, checked against this CA
    QString certFile;     // with TLS: the client's own certificate (PEM), or none
    QString keyFile;      // its private key (PEM, not encrypted)
    int keepAliveSeconds = 60;
    int qos = 1;
    Form form = Form::JsonLines;
    qint64 queueBytes = qint64(100) << 20;
    bool sendFromBroker = false;
    bool publishValues = false;

    bool operator==(const MqttSettings &) const = default;

    // The node's name as used: `node`, else the host name, made safe for a
    // topic level (no '/', '+', '#').
    QString nodeName() const;
    QString clientIdUsed() const;
    QByteArray receivedTopic(int channel) const;
    QByteArray sendTopic(int channel) const;
    QByteArray valuesTopic(int channel) const;
    QByteArray statusTopic() const;
};

QLatin1String keywordOf(MqttSettings::Form form);
