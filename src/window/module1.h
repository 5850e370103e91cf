#pragma once

#include "user32.h"

#include <QString>

#include <array>

// The program's state outside the window's controls, and the icon routine.
namespace Module1 {

// One transmit latch per channel (index channel - 1): 1 lets the next tick
// that finds text send it, 2 means the previous tick sent. Zero until the
// window loads; only the poll cycle changes them afterwards.
inline std::array<qint16, 4> TransmitLatch{};

// Gives the window, and first its topmost owner when ownerToo is true
// (any non-zero value), the named icon at the system's large and small sizes.
void SetWindowIcon(user32::HWND window, QString name, qint16 ownerToo, user32::Api &api = user32::platformApi());

} // namespace Module1
