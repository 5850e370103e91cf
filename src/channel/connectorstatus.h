// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"
#include "controls/pin.h"
#include "serial/devicestate.h"
#include "serial/linecounts.h"

#include <QString>

#include <array>

// What a channel's connector panel tells beyond its pins, refreshed with
// them at every tick: whether the port's device is there, the line errors
// the port counted, the full counts in the panel's tooltip, and a mark on
// an input pin whose line went and came back between two looks.
namespace Sernix::Channel::ConnectorStatus {

// The input pins whose pulses are marked, with the event that counts them.
// RI is counted but not marked: its indicator is never written.
struct MarkedLine
{
    Controls::Pin pin;
    MSCommLib::LineEvent event;
};
inline constexpr std::array<MarkedLine, 3> MarkedLines{{
    {Controls::Pin::Dcd, MSCommLib::LineEvent::Dcd},
    {Controls::Pin::Dsr, MSCommLib::LineEvent::Dsr},
    {Controls::Pin::Cts, MSCommLib::LineEvent::Cts},
}};

// The texts of the marked pins' boxes before this tick wrote them.
using LevelsBefore = std::array<QString, MarkedLines.size()>;
LevelsBefore levelsBefore(const Controls::ChannelControls &channel);

void refresh(const Controls::ChannelControls &channel, const LevelsBefore &before);
// Says "connecting" at once, for a port whose opening holds up the window;
// the next tick says how it went.
void showConnecting(const Controls::ChannelControls &channel);
void clear(const Controls::ChannelControls &channel);

// "DCD 2, DSR 2, CTS 0, RI not counted; framing 12, ..."; "no counters"
// for a port that keeps none.
QString countsText(const std::optional<MSCommLib::LineCounts> &counts);
// The errors that were counted: "framing 12  break 1"; empty when none.
QString errorsText(const MSCommLib::LineCounts &counts);
// What DeviceState says of a device: nothing while it is there.
QString deviceStateText(MSCommLib::DeviceState state);

} // namespace Sernix::Channel::ConnectorStatus
