// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

#include <deque>
#include <optional>

namespace MSCommLib {

// What is worth saying about a device that comes and goes, so that one that
// keeps dropping cannot flood stderr: a loss after a steady spell in full;
// then, while it keeps dropping, how often, once a minute; and its return
// once it has stayed for a steady spell. Times are SteadyClock milliseconds.
class DropNews
{
public:
    static constexpr qint64 SummaryIntervalMs = 60000;

    // steadyAfterMs: how long a return must last to count; 0 counts at once.
    explicit DropNews(qint64 steadyAfterMs = 0)
        : m_steadyAfterMs(steadyAfterMs)
    {
    }

    // The device went; whether that is news to say in full.
    bool lost(qint64 now);
    void back(qint64 now) { m_backAt = now; }
    // What is due to be said now, if anything.
    std::optional<QString> due(qint64 now);
    // Nothing more can come due until the device goes again.
    bool isSettled() const { return m_steady; }

private:
    qint64 m_steadyAfterMs;
    bool m_steady = true;
    std::optional<qint64> m_backAt; // back, not yet for a steady spell
    std::deque<qint64> m_drops;     // since the loss said, not yet counted
    qint64 m_lastSaid = 0;
};

} // namespace MSCommLib
