// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "lanelayout.h"

#include <array>
#include <bit>

namespace Sernix::History {

namespace {

// The six line lanes come first, in the record's order of the lines.
constexpr std::array<const char *, LaneCount> LaneNames{"DCD", "DSR", "CTS", "RI", "DTR", "RTS", "errors", "RX", "TX"};
static_assert(int(Lane::Rts) + 1 == Record::LineCount);

// By channel - 1: the place from the top, and by place: the channel.
std::array<int, Record::ChannelCount> placeOf{0, 1, 2, 3};
std::array<int, Record::ChannelCount> channelAt{1, 2, 3, 4};

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

void LaneLayout::setLink(quint8 link)
{
    const bool linked = std::popcount(link) == 2;
    const int low = linked ? std::countr_zero(link) + 1 : 0;
    const int high = linked ? std::bit_width(link) : 0;
    std::size_t place = 0;
    for (int channel = 1; channel <= Record::ChannelCount; ++channel) {
        if (channel == high)
            continue;
        channelAt.at(place++) = channel;
        if (channel == low)
            channelAt.at(place++) = high;
    }
    for (std::size_t at = 0; at < channelAt.size(); ++at)
        placeOf.at(std::size_t(channelAt.at(at) - 1)) = int(at);
}

int LaneLayout::channelTop(int channel)
{
    return placeOf.at(std::size_t(channel - 1)) * ChannelHeight;
}

std::optional<LanePlace> LaneLayout::laneAt(int y)
{
    if (y < 0 || y >= Height)
        return std::nullopt;
    const int channel = channelAt.at(std::size_t(y / ChannelHeight));
    const int inside = y - channelTop(channel) - HeaderHeight;
    if (inside < 0)
        return std::nullopt;
    return LanePlace{channel, Lane(inside / LaneHeight)};
}

} // namespace Sernix::History
