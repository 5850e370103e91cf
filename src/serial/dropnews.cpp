// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "dropnews.h"

namespace MSCommLib {

bool DropNews::lost(qint64 now)
{
    m_backAt.reset();
    if (!m_steady) {
        m_drops.push_back(now);
        return false;
    }
    m_steady = false;
    m_drops.clear();
    m_lastSaid = now;
    return true;
}

std::optional<QString> DropNews::due(qint64 now)
{
    if (m_backAt && now - *m_backAt >= m_steadyAfterMs) {
        m_backAt.reset();
        m_steady = true;
        return QStringLiteral("is back");
    }
    if (m_steady || m_drops.empty() || now - m_lastSaid < SummaryIntervalMs)
        return std::nullopt;
    while (!m_drops.empty() && now - m_drops.front() > SummaryIntervalMs)
        m_drops.pop_front();
    m_lastSaid = now;
    const auto count = qsizetype(m_drops.size());
    m_drops.clear();
    if (count == 0)
        return std::nullopt;
    return QStringLiteral("keeps dropping (%1 times in the last minute)").arg(count);
}

} // namespace MSCommLib
