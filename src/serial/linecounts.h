// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QtGlobal>

#include <array>
#include <optional>

namespace MSCommLib {

// What a port may count between two looks: transitions of its modem inputs,
// and errors in what it received.
enum class LineEvent { Dcd, Dsr, Cts, Ri, Framing, Parity, Overrun, Break };
inline constexpr int LineEventCount = 8;
inline constexpr std::array<LineEvent, LineEventCount> AllLineEvents{
    LineEvent::Dcd,     LineEvent::Dsr,    LineEvent::Cts,     LineEvent::Ri,
    LineEvent::Framing, LineEvent::Parity, LineEvent::Overrun, LineEvent::Break};

// A count per LineEvent; empty where the port does not count that event.
// Counters are 32 bits wide and wrap, as the kernel's do.
struct LineCounts
{
    std::array<std::optional<quint32>, LineEventCount> counts{};

    std::optional<quint32> &operator[](LineEvent event) { return counts.at(std::size_t(event)); }
    const std::optional<quint32> &operator[](LineEvent event) const { return counts.at(std::size_t(event)); }

    // Zero for every event that is counted.
    static LineCounts zeroWhereCounted(const LineCounts &pattern);
    // What came between two readings of the same counters.
    LineCounts operator-(const LineCounts &before) const;
    LineCounts &operator+=(const LineCounts &more);
    bool operator==(const LineCounts &) const = default;
};

} // namespace MSCommLib
