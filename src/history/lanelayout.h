// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "record/event.h"

#include <QString>

#include <optional>

namespace Sernix::History {

// The lanes of one channel, top to bottom: its six lines, then its errors,
// then the data it received and sent.
enum class Lane { Dcd, Dsr, Cts, Ri, Dtr, Rts, Errors, Received, Sent };
inline constexpr int LaneCount = 9;

QString laneName(Lane lane); // "DCD" .. "RTS", "errors", "RX", "TX"
std::optional<Record::Line> lineOf(Lane lane);
Lane laneOf(Record::Line line);

struct LanePlace
{
    int channel = 1; // 1 to 4
    Lane lane = Lane::Dcd;
};

// Where the channels and their lanes lie, in pixels from the top of the
// drawing; the names take the column left of x = LabelWidth.
namespace LaneLayout {

inline constexpr int LabelWidth = 84;
inline constexpr int HeaderHeight = 20; // a channel's name and what happened to its port
inline constexpr int LaneHeight = 18;
inline constexpr int ChannelHeight = HeaderHeight + LaneCount * LaneHeight;
inline constexpr int Height = Record::ChannelCount * ChannelHeight;

// Channels lie in their numbers' order, but the two sides of a link (as
// channels' bits; 0: none) lie next to each other: the higher moves up to
// just below the lower.
void setLink(quint8 link);
int channelTop(int channel);
inline int laneTop(int channel, Lane lane)
{
    return channelTop(channel) + HeaderHeight + int(lane) * LaneHeight;
}
// A step trace's level inside its lane.
inline int levelY(int channel, Lane lane, bool high)
{
    return laneTop(channel, lane) + (high ? 4 : LaneHeight - 5);
}
std::optional<LanePlace> laneAt(int y);

} // namespace LaneLayout

} // namespace Sernix::History
