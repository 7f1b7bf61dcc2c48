#include "devices/channel.h"

#include "devices/serial_port_component.h"
#include "devices/telnet_com_port.h"

void Channel::setSerialSettings(const QString &settings, bool own)
{
    if (settings == m_serialSettings && own == m_ownSettings)
        return;
    m_serialSettings = settings;
    m_ownSettings = own;
    emit choicesChanged();
}

QString Channel::changeSettings(const QString &settings)
{
    const QString refused = m_link.changeSettings(settings);
    // A log's notes stay in English whatever the window's language.
    if (!refused.isEmpty()) {
        emit linkNoted(QStringLiteral("settings %1 not taken: %2").arg(settings, refused));
        return refused;
    }
    m_switchedOnSettings = settings;
    const QString inUse = m_link.serial().settingsInUse();
    emit linkNoted(
        inUse.isEmpty() || inUse == settings
            ? QStringLiteral("settings changed to %1").arg(settings)
            : QStringLiteral("settings changed to %1 (the device uses %2)").arg(settings, inUse));
    return {};
}
