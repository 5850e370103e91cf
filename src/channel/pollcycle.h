// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

#include <QString>

// What the window shows of each channel, refreshed at every tick of the
// timer: the only code that reads line states and received data, and the
// only code that sends.
namespace PollCycle {

// The text form of a line state, and whether a box's text reads as "on".
// Text that is no Boolean at all (a box a failed read left empty) is not
// on, so a port that is not open never shows a false green.
QString booleanText(bool value);
bool readsTrue(const QString &text);

// Refreshes a ticked channel from its serial control, or resets one that is
// not ticked. Every step is guarded on its own: a step that the serial
// control refuses is dropped silently and the next step runs.
void refresh(const ChannelControls &channel, qint16 &transmitLatch);
void reset(const ChannelControls &channel);

} // namespace PollCycle
