// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QtGlobal>

#include <atomic>

namespace MSCommLib {

// The time that events are stamped with and that spacing and timeouts are
// measured in: it never steps back and can be read from any thread. The
// program reads one monotonic clock, handed to whatever it makes; a test
// makes a manual clock of its own and moves it by hand.
class SteadyClock
{
public:
    enum class Kind { Monotonic, Manual };

    // A manual clock stands at 0 until moved.
    explicit SteadyClock(Kind kind = Kind::Monotonic);
    SteadyClock(const SteadyClock &) = delete;
    SteadyClock &operator=(const SteadyClock &) = delete;

    // The system's monotonic clock, shared by all that are given no other.
    static const SteadyClock &monotonic();

    qint64 nowNs() const;
    qint64 nowUs() const { return nowNs() / 1000; }
    qint64 nowMs() const { return nowNs() / 1000000; }

    // A manual clock only.
    void advanceMs(qint64 ms) { advanceNs(ms * 1000000); }
    void advanceNs(qint64 ns);

private:
    const Kind m_kind;
    std::atomic<qint64> m_manualNs{0};
};

} // namespace MSCommLib
