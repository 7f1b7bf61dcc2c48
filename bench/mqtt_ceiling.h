#pragma once

#include <QByteArray>

class MqttTestSubscriber;

// What the broker and the subscriber forward on this machine with no
// capture program in the way: a bare libmosquitto client publishes `count`
// copies of `payload` at QoS 1 on `topic`, at most `window` unconfirmed at
// a time, as fast as the broker confirms them. Returns the messages per
// second until `subscriber` had every one (0 when it could not connect or
// nothing moved for 60 s).
double mqttBareClientRate(quint16 port, const QByteArray &topic, const QByteArray &payload,
                          int count, int window, const MqttTestSubscriber &subscriber);
