// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

// What the window shows of each channel, refreshed at every tick of the
// timer: the only code that reads line states and received data, and the
// only code that sends.
namespace Sernix::Channel::PollCycle {

// Refreshes a ticked channel from its serial control, or resets one that is
// not ticked. Every step is guarded on its own: a step that the serial
// control refuses is dropped silently and the next step runs.
void refresh(const Controls::ChannelControls &channel, qint16 &transmitLatch);
void reset(const Controls::ChannelControls &channel);

} // namespace Sernix::Channel::PollCycle
