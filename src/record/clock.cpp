// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "clock.h"

namespace Sernix::Record {

Clock::Clock()
{
    m_startMsecs = QDateTime::currentMSecsSinceEpoch();
    m_elapsed.start();
}

QDateTime Clock::wallTime(qint64 time) const
{
    return QDateTime::fromMSecsSinceEpoch(m_startMsecs + time / 1000, Qt::UTC);
}

} // namespace Sernix::Record
