// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

class QWidget;

// The enable box of a channel opens its port when ticked and closes it when
// cleared. Runs on every change of the box, by the user or by code.
namespace ChannelSwitch {

void click(const ChannelControls &channel, QWidget *window);

} // namespace ChannelSwitch
