// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

#include <QString>

#include <optional>
#include <span>

class QWidget;

// A choice in any setting list applies the lists of every channel that is
// on to that channel's serial control; each channel in error gets its own
// "Unacceptable", in channel order.
namespace Sernix::Channel::SettingLists {

// The handshaking list's text as a mode number: a whole number, blanks
// around it allowed. Fractions are refused rather than rounded: no mode lies
// between two others.
std::optional<int> handshakingNumber(const QString &text);

void apply(std::span<const Controls::ChannelControls> channels, QWidget *window);

} // namespace Sernix::Channel::SettingLists
