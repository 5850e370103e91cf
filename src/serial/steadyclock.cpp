// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "steadyclock.h"

#include <chrono>

namespace MSCommLib {

SteadyClock::SteadyClock(Kind kind)
    : m_kind(kind)
{
}

const SteadyClock &SteadyClock::monotonic()
{
    static const SteadyClock clock;
    return clock;
}

qint64 SteadyClock::nowNs() const
{
    if (m_kind == Kind::Manual)
        return m_manualNs.load(std::memory_order_relaxed);
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SteadyClock::advanceNs(qint64 ns)
{
    Q_ASSERT(m_kind == Kind::Manual);
    m_manualNs.fetch_add(ns, std::memory_order_relaxed);
}

} // namespace MSCommLib
