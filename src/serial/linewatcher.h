// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "portbackend.h"
#include "steadyclock.h"

#include <QObject>

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace MSCommLib {

// Waits, on a thread of its own, for the driver to wake it at each change of
// an open port's modem inputs (Linux's TIOCMIWAIT), and stamps each change as
// it wakes: the levels (TIOCMGET) and, where the driver counts them, the
// transitions (TIOCGICOUNT). Its readings reach the thread that made it
// through its event queue, as the changed signal, the first being the levels
// it starts from; the thread touches nothing but the descriptor. A driver that cannot wake a waiter (CP210x, a plain
// pseudo-terminal) refuses at once: the watcher is then not watching.
//
// The wait ends early only for a signal whose handler runs without
// SA_RESTART, a hang-up or an unplug. The watcher is stopped by that signal,
// sent until the thread says it has ended, and joined before the descriptor
// may be closed.
class LineWatcher : public QObject
{
    Q_OBJECT
public:
    // Returns once it knows whether the driver can wake it.
    LineWatcher(int descriptor, const SteadyClock &clock);
    ~LineWatcher() override;
    LineWatcher(const LineWatcher &) = delete;
    LineWatcher &operator=(const LineWatcher &) = delete;

    // Whether the driver wakes it; false once it has ended or been refused.
    bool isWatching() const;
    // Wakes the thread and waits again: a settings change may have turned
    // the driver's watch of the lines off (the PC's UART does so).
    void rearm();
    // Ends and joins the thread; readings not yet delivered are kept.
    void stop();
    // Emits the readings taken and not yet delivered, now.
    void deliver();

Q_SIGNALS:
    void changed(const MSCommLib::LineChange &change);

private:
    enum class Verdict { Unknown, Wakes, Refused };
    void run();
    void interruptUntil(const std::function<bool()> &done);
    void post(const LineChange &change);

    const int m_descriptor;
    const SteadyClock &m_clock;
    mutable std::mutex m_lock;
    std::condition_variable m_news;
    Verdict m_verdict = Verdict::Unknown;
    bool m_stopping = false;
    bool m_ended = false;
    quint64 m_waits = 0; // times the thread went into the driver's wait
    pid_t m_threadId = 0;
    std::vector<LineChange> m_pending;
    std::thread m_thread;
};

} // namespace MSCommLib
