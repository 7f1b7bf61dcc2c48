// The keys of a setup file's [MQTT] section: what each writes from the
// settings and how it applies a value read.
#include "devices/setup_file.h"

#include <optional>

namespace {

std::optional<bool> mqttKeyBool(const QString &text)
{
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

QString mqttKeyBoolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

bool mqttKeyNumber(const QString &text, qint64 lowest, qint64 highest, qint64 &target)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < lowest || value > highest)
        return false;
    target = value;
    return true;
}

template <typename Number>
bool mqttKeyApplyNumber(const QString &text, qint64 lowest, qint64 highest, Number &target)
{
    qint64 value = 0;
    if (!mqttKeyNumber(text, lowest, highest, value))
        return false;
    target = Number(value);
    return true;
}

// Text values: any text, kept as written (a password file's name, never the password).
#define VARNOK_MQTT_TEXT_KEY(key, member)                                                          \
    {                                                                                              \
        key, [](const MqttSettings &s) { return s.member; },                                       \
            [](MqttSettings &s, const QString &t) {                                                \
                s.member = t.trimmed();                                                            \
                return true;                                                                       \
            }                                                                                      \
    }

const QList<SetupFile::MqttKey> mqttKeyTable = {
    {"Publish", [](const MqttSettings &s) { return mqttKeyBoolText(s.publish); },
     [](MqttSettings &s, const QString &t) {
         const std::optional<bool> value = mqttKeyBool(t);
         s.publish = value.value_or(s.publish);
         return value.has_value();
     }},
    VARNOK_MQTT_TEXT_KEY("Host", host),
    {"Port", [](const MqttSettings &s) { return QString::number(s.port); },
     [](MqttSettings &s, const QString &t) {
         return mqttKeyApplyNumber(t, 1, 65535, s.port);
     }},
    VARNOK_MQTT_TEXT_KEY("ClientId", clientId),
    VARNOK_MQTT_TEXT_KEY("Node", node),
    VARNOK_MQTT_TEXT_KEY("Username", username),
    VARNOK_MQTT_TEXT_KEY("PasswordFile", passwordFile),
    VARNOK_MQTT_TEXT_KEY("CaFile", caFile),
    VARNOK_MQTT_TEXT_KEY("CertFile", certFile),
    VARNOK_MQTT_TEXT_KEY("KeyFile", keyFile),
    {"KeepAlive", [](const MqttSettings &s) { return QString::number(s.keepAliveSeconds); },
     [](MqttSettings &s, const QString &t) {
         return mqttKeyApplyNumber(t, 5, 65535, s.keepAliveSeconds);
     }},
    {"QoS", [](const MqttSettings &s) { return QString::number(s.qos); },
     [](MqttSettings &s, const QString &t) {
         return mqttKeyApplyNumber(t, 0, 1, s.qos);
     }},
    {"Form", [](const MqttSettings &s) { return QString(keywordOf(s.form)); },
     [](MqttSettings &s, const QString &t) {
         for (const auto form : {MqttSettings::Form::JsonLines, MqttSettings::Form::RawLines,
                                 MqttSettings::Form::Batches}) {
             if (t.trimmed().compare(keywordOf(form), Qt::CaseInsensitive) == 0) {
                 s.form = form;
                 return true;
             }
         }
         return false;
     }},
    {"QueueMegabytes", [](const MqttSettings &s) { return QString::number(s.queueBytes >> 20); },
     [](MqttSettings &s, const QString &t) {
         qint64 megabytes = 0;
         if (!mqttKeyNumber(t, 1, 1 << 20, megabytes))
             return false;
         s.queueBytes = megabytes << 20;
         return true;
     }},
    {"SendFromBroker", [](const MqttSettings &s) { return mqttKeyBoolText(s.sendFromBroker); },
     [](MqttSettings &s, const QString &t) {
         const std::optional<bool> value = mqttKeyBool(t);
         s.sendFromBroker = value.value_or(s.sendFromBroker);
         return value.has_value();
     }},
    {"PublishValues", [](const MqttSettings &s) { return mqttKeyBoolText(s.publishValues); },
     [](MqttSettings &s, const QString &t) {
         const std::optional<bool> value = mqttKeyBool(t);
         s.publishValues = value.value_or(s.publishValues);
         return value.has_value();
     }},
};

#undef VARNOK_MQTT_TEXT_KEY

} // namespace

const QList<SetupFile::MqttKey> &SetupFile::mqttKeys()
{
    return mqttKeyTable;
}
