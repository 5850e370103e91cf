// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "markers.h"

#include <algorithm>
#include <cmath>

namespace Sernix::History {

QString markerName(Marker marker)
{
    return marker == Marker::A ? QStringLiteral("A") : QStringLiteral("B");
}

std::optional<qint64> Markers::delta() const
{
    if (!time(Marker::A) || !time(Marker::B))
        return std::nullopt;
    return *time(Marker::B) - *time(Marker::A);
}

qint64 snapToEdge(std::span<const qint64> edges, qint64 time, double microsecondsPerPixel, double radiusPixels)
{
    // Only the edges either side of time can be the nearest.
    const auto after = std::lower_bound(edges.begin(), edges.end(), time);
    std::optional<qint64> nearest;
    const auto consider = [&](qint64 edge) {
        if (!nearest || std::abs(edge - time) < std::abs(*nearest - time))
            nearest = edge;
    };
    if (after != edges.end())
        consider(*after);
    if (after != edges.begin())
        consider(*std::prev(after));
    if (nearest && double(std::abs(*nearest - time)) <= radiusPixels * microsecondsPerPixel)
        return *nearest;
    return time;
}

} // namespace Sernix::History
