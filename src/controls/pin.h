// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <array>

namespace Sernix::Controls {

// The nine pins of the 9-pin connector, numbered as on the connector.
enum class Pin { Dcd = 1, Rd, Td, Dtr, Gnd, Dsr, Rts, Cts, Ri };

inline constexpr int PinCount = 9;
inline constexpr std::array<Pin, PinCount> AllPins{Pin::Dcd, Pin::Rd,  Pin::Td,  Pin::Dtr, Pin::Gnd,
                                                   Pin::Dsr, Pin::Rts, Pin::Cts, Pin::Ri};

constexpr int pinNumber(Pin pin)
{
    return int(pin);
}

// The pin's signal as the connector legend abbreviates it: "DCD".
inline constexpr std::array<const char *, PinCount> PinSignals{"DCD", "RD",  "TD",  "DTR", "GND",
                                                               "DSR", "RTS", "CTS", "RI"};

// Position of a pin in arrays that hold one element per pin.
constexpr std::size_t pinIndex(Pin pin)
{
    return std::size_t(pinNumber(pin) - 1);
}

inline const char *pinSignal(Pin pin)
{
    return PinSignals.at(pinIndex(pin));
}

} // namespace Sernix::Controls
