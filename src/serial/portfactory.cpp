// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "portfactory.h"

#include "loopbackport.h"
#include "remoteport.h"
#include "serialportbackend.h"

namespace MSCommLib {

std::unique_ptr<PortBackend> createPortBackend(const QString &deviceName, const SteadyClock &clock)
{
    if (deviceName == LoopbackDeviceName)
        return std::make_unique<LoopbackPort>(clock);
    if (RemotePort::isAddress(deviceName))
        return std::make_unique<RemotePort>(deviceName, clock);
    return std::make_unique<SerialPortBackend>(deviceName);
}

} // namespace MSCommLib
