// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "linewatcher.h"

#include <QFile>
#include <QMetaObject>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <linux/serial.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace MSCommLib {

namespace {

constexpr int WatchedLines = TIOCM_CAR | TIOCM_DSR | TIOCM_CTS | TIOCM_RNG;
constexpr auto InterruptEvery = std::chrono::milliseconds(1);

// Interrupts a waiting watcher. Its handler does nothing and is installed
// without SA_RESTART, so that the driver's wait returns EINTR, not resumes.
int interruptSignal()
{
    static const int signal = [] {
        const int number = SIGRTMIN + 2;
        struct sigaction action = {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        ::sigaction(number, &action, nullptr);
        return number;
    }();
    return signal;
}

struct Reading
{
    ModemInputs inputs;
    std::optional<serial_icounter_struct> counts;
};

std::optional<Reading> read(int descriptor)
{
    int bits = 0;
    if (::ioctl(descriptor, TIOCMGET, &bits) == -1)
        return std::nullopt;
    Reading reading{.inputs = {.cd = (bits & TIOCM_CAR) != 0,
                               .cts = (bits & TIOCM_CTS) != 0,
                               .dsr = (bits & TIOCM_DSR) != 0,
                               .ri = (bits & TIOCM_RNG) != 0},
                    .counts = std::nullopt};
    serial_icounter_struct counts{};
    if (::ioctl(descriptor, TIOCGICOUNT, &counts) == 0)
        reading.counts = counts;
    return reading;
}

std::optional<LineCounts> transitions(const Reading &before, const Reading &after)
{
    if (!before.counts || !after.counts)
        return std::nullopt;
    LineCounts moved;
    moved[LineEvent::Dcd] = quint32(after.counts->dcd - before.counts->dcd);
    moved[LineEvent::Dsr] = quint32(after.counts->dsr - before.counts->dsr);
    moved[LineEvent::Cts] = quint32(after.counts->cts - before.counts->cts);
    moved[LineEvent::Ri] = quint32(after.counts->rng - before.counts->rng);
    return moved;
}

// Whether a thread of this process sleeps in a system call other than a
// lock's: the driver's wait. Unreadable (gone): nothing to wait for.
bool sleepsInWait(pid_t thread)
{
    QFile call(QStringLiteral("/proc/self/task/%1/syscall").arg(thread));
    if (!call.open(QIODevice::ReadOnly))
        return true;
    bool number = false;
    const int called = call.readAll().split(' ').value(0).trimmed().toInt(&number);
    return number && called != SYS_futex;
}

bool sameInputs(const ModemInputs &a, const ModemInputs &b)
{
    return a.cd == b.cd && a.cts == b.cts && a.dsr == b.dsr && a.ri == b.ri;
}

} // namespace

LineWatcher::LineWatcher(int descriptor, const SteadyClock &clock)
    : m_descriptor(descriptor)
    , m_clock(clock)
{
    interruptSignal();
    m_thread = std::thread([this] { run(); });
    // A wait the driver takes is interrupted and taken again; one it refuses
    // ends the thread at once.
    interruptUntil([this] { return m_waits >= 2; });
}

LineWatcher::~LineWatcher()
{
    stop();
}

bool LineWatcher::isWatching() const
{
    std::lock_guard lock(m_lock);
    return m_verdict == Verdict::Wakes && !m_ended;
}

void LineWatcher::rearm()
{
    quint64 waits = 0;
    {
        std::lock_guard lock(m_lock);
        waits = m_waits;
    }
    interruptUntil([this, waits] { return m_waits != waits; });
}

void LineWatcher::stop()
{
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
    }
    interruptUntil([] { return false; });
    if (m_thread.joinable())
        m_thread.join();
}

// Sends the signal until done() holds or the thread has ended: one sent
// just before the thread enters the driver's wait is lost.
void LineWatcher::interruptUntil(const std::function<bool()> &done)
{
    std::unique_lock lock(m_lock);
    while (!m_ended && !done()) {
        ::pthread_kill(m_thread.native_handle(), interruptSignal());
        m_news.wait_for(lock, InterruptEvery);
    }
    // The driver counts from the moment its wait begins: a change made
    // before that, once the thread has read the lines, would wake nobody.
    // So the caller goes on once the thread is in the wait, or has ended.
    for (int look = 0; look < 200 && !m_ended && !sleepsInWait(m_threadId); ++look) {
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::microseconds(25));
        lock.lock();
    }
}

void LineWatcher::deliver()
{
    std::vector<LineChange> changes;
    {
        std::lock_guard lock(m_lock);
        changes.swap(m_pending);
    }
    for (const LineChange &change : changes)
        Q_EMIT changed(change);
}

void LineWatcher::post(const LineChange &change)
{
    std::lock_guard lock(m_lock);
    m_pending.push_back(change);
    if (m_pending.size() == 1)
        QMetaObject::invokeMethod(this, &LineWatcher::deliver, Qt::QueuedConnection);
}

void LineWatcher::run()
{
    ::pthread_setname_np(::pthread_self(), "sernix-lines");
    {
        std::lock_guard lock(m_lock);
        m_threadId = ::gettid();
    }
    const auto end = [this](Verdict verdict) {
        std::lock_guard lock(m_lock);
        if (m_verdict == Verdict::Unknown)
            m_verdict = verdict;
        m_ended = true;
        m_news.notify_all();
    };
    std::optional<Reading> last = read(m_descriptor);
    if (!last)
        return end(Verdict::Refused);
    // Where the counts of the changes start from: the levels then, nothing moved.
    post(LineChange{m_clock.nowNs(), last->inputs,
                    LineCounts{{0, 0, 0, 0, std::nullopt, std::nullopt, std::nullopt, std::nullopt}}});
    for (;;) {
        {
            // Told only now, after the last reading: whoever waits for the
            // watch to be taken up again moves the lines after it at the
            // earliest, and no change falls between a reading and the wait.
            std::lock_guard lock(m_lock);
            ++m_waits;
            m_news.notify_all();
        }
        const bool woken = ::ioctl(m_descriptor, TIOCMIWAIT, WatchedLines) == 0;
        const int error = errno;
        const qint64 timeNs = m_clock.nowNs();
        {
            std::lock_guard lock(m_lock);
            if (!woken && error != EINTR) {
                // Refused at once, or the device hung up or went away.
                m_verdict = m_verdict == Verdict::Unknown ? Verdict::Refused : m_verdict;
                break;
            }
            m_verdict = Verdict::Wakes;
            if (m_stopping)
                break;
        }
        const std::optional<Reading> now = read(m_descriptor);
        if (!now)
            break;
        const std::optional<LineCounts> moved = transitions(*last, *now);
        const bool levelsMoved = !sameInputs(now->inputs, last->inputs);
        const bool counted = moved && *moved != LineCounts::zeroWhereCounted(*moved);
        // Woken with nothing to show and no counts: a pulse of unknown count.
        if (levelsMoved || counted || (woken && !moved))
            post(LineChange{timeNs, now->inputs, moved});
        last = now;
    }
    end(Verdict::Refused);
}

} // namespace MSCommLib
