// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "serial/steadyclock.h"

#include <QDateTime>

#include <optional>

namespace Sernix::Record {

// A record's time: microseconds of a steady clock since the record began,
// shown as the wall clock read once at that start plus the time since, so
// a record never goes backwards when the system clock is stepped. As safe
// to read from any thread as the steady clock it follows.
class Clock
{
public:
    // Starts now; a given wall-clock start (ms since the epoch) fixes what
    // the times read as, for files that must come out the same.
    explicit Clock(const MSCommLib::SteadyClock &steady = MSCommLib::SteadyClock::monotonic(),
                   std::optional<qint64> startMsecsSinceEpoch = std::nullopt);

    qint64 now() const { return m_steady->nowUs() - m_startUs; }
    // This clock's time of a reading of the steady clock.
    qint64 fromSteadyNs(qint64 steadyNs) const { return steadyNs / 1000 - m_startUs; }
    // The wall-clock time (UTC) of a time of this clock.
    QDateTime wallTime(qint64 time) const;
    qint64 startMsecsSinceEpoch() const { return m_startMsecs; }

private:
    const MSCommLib::SteadyClock *m_steady;
    qint64 m_startUs;
    qint64 m_startMsecs;
};

} // namespace Sernix::Record
