// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelmap.h"

#include <QString>

#include <array>

// The device each channel is bound to. A device chosen in the window is kept
// for the next start with QSettings("Draventa", "Sernix"), keys ports/com1 to
// ports/com4, and so are the two channels named the sides of one link in the
// traffic view, key view/link; nothing else of the program is stored, and
// nothing is written except by such a choice. Without stored bindings or
// --comN, channel n is the platform's COMn.
namespace Sernix::Window::DeviceBindings {

// By channel - 1; an empty name stands for the platform's COMn.
using DeviceNames = std::array<QString, Controls::ChannelCount>;

// The stored bindings; a channel without one is empty. A stored value that
// cannot be used is ignored, with one line on stderr saying so.
DeviceNames load();

// The devices of this run: --comN where given (never stored), else what was stored.
DeviceNames forStart(const DeviceNames &fromCommandLine);

// Keeps the choice for the next start; an empty name forgets the channel's binding.
void store(int channel, const QString &deviceName);

// The traffic view's link as channels' bits (bit n - 1: channel n), or 0:
// none. A stored value that is not two channels is ignored, with one line on stderr.
quint8 loadLink();
void storeLink(quint8 link);

} // namespace Sernix::Window::DeviceBindings
