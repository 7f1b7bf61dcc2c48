#include "core/mqtt/mqtt_settings.h"

#include <QSysInfo>

QString MqttSettings::nodeName() const
{
    QString name = node.trimmed().isEmpty() ? QSysInfo::machineHostName() : node.trimmed();
    for (QChar &c : name) {
        if (c == u'/' || c == u'+' || c == u'#' || c.unicode() < 0x20)
            c = u'_';
    }
    return name.isEmpty() ? QStringLiteral("node") : name;
}

QString MqttSettings::clientIdUsed() const
{
    return clientId.trimmed().isEmpty() ? QStringLiteral("varnokterm-") + nodeName()
                                        : clientId.trimmed();
}

QByteArray MqttSettings::receivedTopic(int channel) const
{
    return "varnokterm/" + nodeName().toUtf8() + '/' + QByteArray::number(channel) + "/rx";
}

QByteArray MqttSettings::sendTopic(int channel) const
{
    return "varnokterm/" + nodeName().toUtf8() + '/' + QByteArray::number(channel) + "/tx";
}

QByteArray MqttSettings::valuesTopic(int channel) const
{
    return "varnokterm/" + nodeName().toUtf8() + '/' + QByteArray::number(channel) + "/values";
}

QByteArray MqttSettings::statusTopic() const
{
    return "varnokterm/" + nodeName().toUtf8() + "/status";
}

QLatin1String keywordOf(MqttSettings::Form form)
{
    switch (form) {
    case MqttSettings::Form::RawLines:
        return QLatin1String("RawLines");
    case MqttSettings::Form::Batches:
        return QLatin1String("Batches");
    case MqttSettings::Form::JsonLines:
        break;
    }
    return QLatin1String("JsonLines");
}
