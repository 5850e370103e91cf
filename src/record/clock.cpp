// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "clock.h"

namespace Sernix::Record {

Clock::Clock()
    : Clock(QDateTime::currentMSecsSinceEpoch())
{
}

Clock::Clock(qint64 startMsecsSinceEpoch)
    : m_startMsecs(startMsecsSinceEpoch)
{
    m_elapsed.start();
}

QDateTime Clock::wallTime(qint64 time) const
{
    return QDateTime::fromMSecsSinceEpoch(m_startMsecs + time / 1000, Qt::UTC);
}

} // namespace Sernix::Record
