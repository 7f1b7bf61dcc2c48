#pragma once

#include "core/mqtt/mqtt_settings.h"

#include <optional>

class QWidget;

// Capture > Publish to MQTT...'s question: whether and where the channels
// publish, as the setup file's [MQTT] section holds it (a password file's
// name, never a password). Nothing when the operator cancels.
std::optional<MqttSettings> askMqttSettings(QWidget *parent, const MqttSettings &last);
