// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "linecounts.h"

#include <QString>

#include <optional>

namespace MSCommLib {

// The line event counters the kernel keeps for a serial device (Linux's
// TIOCGICOUNT). Not every driver moves every counter it hands back, so the
// events a device's driver does not count are left out: a count shown is a
// count made.
class KernelCounters
{
public:
    // Looks up, without touching the device, which driver serves it.
    explicit KernelCounters(const QString &devicePath);

    // The counters of an open descriptor; empty when the driver keeps none.
    // hardwareFlow: whether RTS/CTS flow control is on, which a built-in
    // UART needs to count modem transitions (see README).
    std::optional<LineCounts> read(int descriptor, bool hardwareFlow) const;

    // Where the kernel describes its tty devices (/sys/class/tty). A test
    // seam: a test points it at a folder of its own, where a pseudo-terminal
    // can be given the "driver" link of a USB adapter or a UART's "type".
    static void setSysfsTtyRoot(const QString &root);

    // Which of the counters the driver moves.
    struct Counted
    {
        bool dcd = true, dsr = true, cts = true, ri = true, errors = true;
    };

private:
    bool m_serialCore = false; // a built-in UART
    Counted m_counted;
};

} // namespace MSCommLib
