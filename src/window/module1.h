// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "user32.h"

#include "controls/channelmap.h"

#include <QString>

#include <array>

// The program's state outside the window's controls, and the icon routine.
namespace Sernix::Window::Module1 {

// One transmit latch per channel (index channel - 1), with the values of
// channel/transmitlatch.h. Zero until the window loads; only the poll cycle
// changes them afterwards.
inline std::array<qint16, Controls::ChannelCount> TransmitLatch{};

// Gives the window, and first its topmost owner when ownerToo is true
// (any non-zero value), the named icon at the system's large and small sizes.
void SetWindowIcon(user32::HWND window, QString name, qint16 ownerToo, user32::Api &api = user32::platformApi());

} // namespace Sernix::Window::Module1
