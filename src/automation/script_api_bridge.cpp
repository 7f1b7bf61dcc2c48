#include "automation/script_api.h"

#include "automation/script_gate.h"
#include "core/bridge/bridge_choice.h"
#include "core/channel_list.h"
#include "devices/capture_session.h"

void ScriptApi::bridge(const QJSValue &choice)
{
    const std::optional<BridgeChoice> chosen =
        choice.isString()
            ? BridgeChoice::fromText(choice.toString(), m_host.session->channelCount())
            : std::nullopt;
    if (!chosen) {
        fail(QStringLiteral("bridge(%1): no bridge such as \"1<>2\", \"1>2\", \"2>1\" or \"off\"")
                 .arg(choice.toString()));
        return;
    }
    CaptureSession *session = m_host.session;
    const BridgeChoice taken = *chosen;
    m_gate->enterCall(); // the watchdog does not count the program's time
    m_gate->callOnGui([session, taken] {
        session->setBridge(taken);
        return QString();
    });
    m_gate->leaveCall();
}
