// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QDateTime>
#include <QElapsedTimer>

namespace Sernix::Record {

// The wall clock read once at the start plus the monotonic time since: a
// record never goes backwards when the system clock is stepped.
class Clock
{
public:
    // Starts now; a given wall-clock start (ms since the epoch) fixes what
    // the record's times read as, for files that must come out the same.
    Clock();
    explicit Clock(qint64 startMsecsSinceEpoch);

    // Microseconds since the start.
    qint64 now() const { return m_elapsed.nsecsElapsed() / 1000; }
    // The wall-clock time (UTC) of a time of this clock.
    QDateTime wallTime(qint64 time) const;
    qint64 startMsecsSinceEpoch() const { return m_startMsecs; }

private:
    QElapsedTimer m_elapsed;
    qint64 m_startMsecs = 0;
};

} // namespace Sernix::Record
