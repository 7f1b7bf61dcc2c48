#include "devices/channel_link.h"

#include "devices/line_settings.h"
#include "devices/link_reconnect.h"
#include "devices/serial_port_component.h"
#include "devices/telnet_com_port.h"

QString ChannelLink::changeSettings(const QString &settings)
{
    const LineSettingsParse parsed = parseLineSettings(settings);
    if (!parsed.ok)
        return parsed.error;
    switch (m_route) {
    case Route::None:
        return tr("Comm Port %1 is off").arg(m_number);
    case Route::Serial:
        // A port waited for takes them when it opens again.
        if (!m_reconnect->isWaiting()) {
            const QString refused = m_serial->setLineSettings(settings);
            if (!refused.isEmpty())
                return refused;
        }
        break;
    case Route::Tcp:
        if (m_network != Network::Rfc2217)
            return tr("a TCP connection has no serial settings");
        m_telnet->setLineSettings(parsed.settings);
        break;
    }
    m_settings = settings;
    return {};
}
