// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "portbackend.h"
#include "steadyclock.h"

#include <QString>

#include <memory>

namespace MSCommLib {

// The backend a device name selects: the loop-back plug, a remote port or a
// serial device. Apart from the backends themselves so that none of them
// depends on the others.
std::unique_ptr<PortBackend> createPortBackend(const QString &deviceName, const SteadyClock &clock);

} // namespace MSCommLib
