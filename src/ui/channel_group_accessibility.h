#pragma once

#include "ui/channel_group.h"

#include <QCoreApplication>

// Gives each control of a channel group the accessible name a screen
// reader announces and a description of what it does. Every name says its
// channel ("Comm Port 2 receive pane"): the two groups have the same
// captions, and a name alone must tell them apart.
class ChannelGroupAccessibility
{
    Q_DECLARE_TR_FUNCTIONS(ChannelGroupAccessibility)

public:
    static void describe(const ChannelGroup::Widgets &widgets, int channel);
};
