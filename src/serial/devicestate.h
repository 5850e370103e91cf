// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

namespace MSCommLib {

// Whether the device behind an open port is there. A device that goes away
// (an adapter pulled, a connection dropped) leaves the port open and lost;
// the serial control looks for it at the same place and carries on by
// itself when it is back.
enum class DeviceState {
    Present,      // also: the port is closed
    Lost,         // gone; nothing answers at its path
    Busy,         // back, but another program holds it
    OtherAdapter, // another adapter answers at its path
    Reconnecting, // a remote port whose connection dropped; trying again
};

} // namespace MSCommLib
