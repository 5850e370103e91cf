// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>
#include <span>

namespace Sernix::History {

enum class Marker { A, B };
inline constexpr std::array<Marker, 2> BothMarkers{Marker::A, Marker::B};
QString markerName(Marker marker); // "A", "B"

// The two markers one measures between, by record time: they stay at the
// moment they were set at however the view moves.
class Markers
{
public:
    std::optional<qint64> time(Marker marker) const { return m_times.at(std::size_t(marker)); }
    void set(Marker marker, qint64 time) { m_times.at(std::size_t(marker)) = time; }
    void clear() { m_times = {}; }
    bool any() const { return time(Marker::A) || time(Marker::B); }
    // B - A, once both are set.
    std::optional<qint64> delta() const;

private:
    std::array<std::optional<qint64>, 2> m_times{};
};

// How near, in pixels, a click must be to an edge for a marker to land on it.
inline constexpr int SnapPixels = 6;

// The time among edges (in ascending order) nearest to time, if it lies
// within radiusPixels at the scale; else time itself.
qint64 snapToEdge(std::span<const qint64> edges, qint64 time, double microsecondsPerPixel,
                  double radiusPixels = SnapPixels);

} // namespace Sernix::History
