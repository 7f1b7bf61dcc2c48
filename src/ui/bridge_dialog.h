#pragma once

#include "core/bridge/bridge_choice.h"

#include <optional>

class QWidget;

// Link > Bridge...'s question: whether two channels are bridged, which two
// and which way, starting from `last`. Nothing when the operator cancels.
std::optional<BridgeChoice> askBridgeChoice(QWidget *parent, const BridgeChoice &last,
                                            int channelCount);
