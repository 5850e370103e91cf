// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QtGlobal>

#include <functional>

namespace MSCommLib {

// The time that spacing and steadiness of connections are measured in:
// milliseconds on the monotonic clock, unless a test drives it by hand.
class SteadyClock
{
public:
    static qint64 now();
    // An empty source puts the monotonic clock back.
    static void setSource(std::function<qint64()> source);
};

} // namespace MSCommLib
