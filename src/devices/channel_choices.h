#pragma once

#include <QList>
#include <QString>

// What the operator chose for a channel, which the Channel keeps
// (Channel::choices()) and a setup saves: the port text (a network entry
// such as "TCP", "RFC 2217" or "TCP Listen", a port number or a device
// path), the IP and Socket fields of a channel that offers the network, and
// whether the channel is on. Channel::switchOn() reads them, the one place
// that decides how a channel switches on.
struct ChannelChoices
{
    QString port;
    QString host;
    QString socket;
    bool on = false;

    // Listening on an address beyond loopback: "TCP Listen" at "*" or at any
    // address outside 127.0.0.0/8 and ::1, so that another machine may
    // connect and get what the channel sends. Text that is no address
    // counts too (a switch-on refuses it anyway); no name is looked up.
    bool listensBeyondLoopback() const;
};
// One entry per channel of the channel list, by channel number - 1.
using ChannelChoiceList = QList<ChannelChoices>;
