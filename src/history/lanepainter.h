// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "channelstates.h"
#include "timescale.h"

#include <QRgb>

class QPainter;

namespace Sernix::History {

// The colours of what the lanes show; hatching uses them on white.
namespace LaneColours {
inline constexpr QRgb Background = 0xffffffff;
inline constexpr QRgb Header = 0xffeeeeee;
inline constexpr QRgb Trace = 0xff1b7a2e;
inline constexpr QRgb Pulse = 0xffe08a00;
inline constexpr QRgb Error = 0xffd01010;
inline constexpr QRgb Received = 0xff2f64d8;
inline constexpr QRgb Sent = 0xff7a3fc0;
inline constexpr QRgb Off = 0xff9a9a9a;
inline constexpr QRgb Lost = 0xffe04848;
inline constexpr QRgb NotHeld = 0xffc8b070;
inline constexpr QRgb Text = 0xff202020;
inline constexpr QRgb MarkerA = 0xffc2185b;
inline constexpr QRgb MarkerB = 0xff00897b;
} // namespace LaneColours

// Draws the four channels' lanes for the stretch of time a scale shows:
// step traces of the six lines, pulse and error marks with their counts,
// data blocks, off and lost periods hatched, and what the record no longer
// holds. It reads only the events in view (found by time), and draws at
// most a few strokes per pixel column and lane, however many events fall
// into one column.
class LanePainter
{
public:
    LanePainter(const Record::Record &record, ChannelStates &states);

    // Paints the rows top to bottom (in LaneLayout's pixels) of a drawing
    // whose time line starts at x = LaneLayout::LabelWidth.
    void paint(QPainter &painter, const TimeScale &scale, int top, int bottom);

private:
    void paintFrame(QPainter &painter, const TimeScale &scale, int top, int bottom) const;
    void paintLines(QPainter &painter, const TimeScale &scale) const;
    void paintData(QPainter &painter, const TimeScale &scale) const;
    void paintNotHeld(QPainter &painter, const TimeScale &scale) const;

    const Record::Record &m_record;
    ChannelStates &m_states;
    ChannelsAt m_startStates{};
    qint64 m_now = 0;
};

} // namespace Sernix::History
