// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "lanelayout.h"

#include <array>

namespace Sernix::History {

namespace {

// The six line lanes come first, in the record's order of the lines.
constexpr std::array<const char *, LaneCount> LaneNames{"DCD", "DSR", "CTS", "RI", "DTR", "RTS", "errors", "RX", "TX"};
static_assert(int(Lane::Rts) + 1 == Record::LineCount);

} // namespace

QString laneName(Lane lane)
{
    return QString::fromLatin1(LaneNames.at(std::size_t(lane)));
}

std::optional<Record::Line> lineOf(Lane lane)
{
    if (int(lane) < Record::LineCount)
        return Record::Line(int(lane));
    return std::nullopt;
}

Lane laneOf(Record::Line line)
{
    return Lane(int(line));
}

std::optional<LanePlace> LaneLayout::laneAt(int y)
{
    if (y < 0 || y >= Height)
        return std::nullopt;
    const int channel = y / ChannelHeight + 1;
    const int inside = y - channelTop(channel) - HeaderHeight;
    if (inside < 0)
        return std::nullopt;
    return LanePlace{channel, Lane(inside / LaneHeight)};
}

} // namespace Sernix::History
