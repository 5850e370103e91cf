// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

// The DTR and RTS buttons: each click on a channel that is on flips one
// output line. The button's own colour is the only record of the state.
namespace Sernix::Channel::LineToggles {

enum class Line { Dtr, Rts };

void click(const Controls::ChannelControls &channel, Line line);

} // namespace Sernix::Channel::LineToggles
