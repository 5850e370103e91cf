// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "clock.h"

namespace Sernix::Record {

Clock::Clock(const MSCommLib::SteadyClock &steady, std::optional<qint64> startMsecsSinceEpoch)
    : m_steady(&steady)
    , m_startUs(steady.nowUs())
    , m_startMsecs(startMsecsSinceEpoch.value_or(QDateTime::currentMSecsSinceEpoch()))
{
}

QDateTime Clock::wallTime(qint64 time) const
{
    return QDateTime::fromMSecsSinceEpoch(m_startMsecs + time / 1000, Qt::UTC);
}

} // namespace Sernix::Record
