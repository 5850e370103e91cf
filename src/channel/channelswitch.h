// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

class QWidget;

// The enable box of a channel opens its port when ticked and closes it when
// cleared. Runs on every change of the box, by the user or by code.
namespace Sernix::Channel::ChannelSwitch {

void click(const Controls::ChannelControls &channel, QWidget *window);

} // namespace Sernix::Channel::ChannelSwitch
