// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

class LineButton;

// The DTR and RTS buttons: each click on a channel that is on flips one
// output line. The button's own colour is the only record of the state.
namespace LineToggles {

enum class Line { Dtr, Rts };

void click(const ChannelControls &channel, Line line);

} // namespace LineToggles
