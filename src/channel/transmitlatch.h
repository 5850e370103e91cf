// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QtGlobal>

// The values of a channel's transmit latch, which paces its sends: the poll
// cycle sends only on a tick that finds the latch Ready, and sets it to Sent.
namespace Sernix::Channel::TransmitLatch {
inline constexpr qint16 Ready = 1;
inline constexpr qint16 Sent = 2;
} // namespace Sernix::Channel::TransmitLatch
