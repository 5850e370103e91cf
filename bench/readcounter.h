// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QtGlobal>

#include <sys/types.h>

#include <vector>

// Counts the bytes this process reads from chosen terminal devices, so that a
// benchmark knows when the serial ports have taken in everything the far end
// sent, without reaching into them. It interposes read(); the executable
// exports that symbol so that Qt's serial port library binds to it.
namespace Sernix::Bench::ReadCounter {

// Counts reads from every descriptor now open on one of these devices, and
// from no other. Descriptors opened later are not counted: call after the
// ports are open, and with no devices before they close, since their
// numbers are soon reused.
void watchDevices(const std::vector<dev_t> &devices);

// Bytes read from watched descriptors since the start.
quint64 bytesRead();

} // namespace Sernix::Bench::ReadCounter
