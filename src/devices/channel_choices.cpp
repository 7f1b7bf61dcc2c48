#include "devices/channel_choices.h"

#include "devices/channel_link.h"

#include <QHostAddress>

bool ChannelChoices::listensBeyondLoopback() const
{
    if (ChannelLink::networkOfEntry(port) != ChannelLink::Network::Listen)
        return false;
    const QHostAddress address(host.trimmed());
    return address.isNull() || !address.isLoopback();
}
