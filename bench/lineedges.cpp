// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// How well the record times the modem lines where a watcher waits on them: a
// thread of the benchmark's own moves CTS on a rig pty at known moments of
// the monotonic clock while the window runs its own timer, and each recorded
// edge is compared with the moment it was made; a 5 ms drop of DCD is
// measured between its two recorded edges; and what four watchers on quiet
// lines cost, from their threads' own CPU time.

#include "benchmarks.h"
#include "benchwindow.h"
#include "options.h"

#include "ptypair.h"
#include "ptyrig.h"

#include "record/record.h"

#include <QDirIterator>
#include <QFile>

#include <atomic>

#include <random>
#include <thread>
#include <time.h>

namespace Sernix::Bench {

using namespace Sernix::Rig;
using Record::Category;
using Record::EventKind;

namespace {

constexpr qint64 ShortestGapNs = 2'000'000;

void sleepUntilNs(qint64 ns)
{
    const timespec at{time_t(ns / 1000000000), long(ns % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) { }
}

// The record's times of a line's level events after a sequence number.
std::vector<qint64> edgesOf(const Record::Record &record, EventKind kind, quint64 after)
{
    std::vector<qint64> times;
    for (const Record::Event &event : record.after(Category::Lines, after)) {
        if (event.kind == kind && event.channel == 1)
            times.push_back(event.time);
    }
    return times;
}

// Moves one line after each of the given gaps, from a thread of its own, and
// says when each move was made. A gap runs from the previous move as made, so
// that a mover woken late neither shortens the next gap nor makes two edges at
// once.
std::vector<qint64> moveAfter(PtyPair &pty, const std::vector<qint64> &gapsNs, PtyRig::InputOverrides (*level)(bool))
{
    std::vector<qint64> made;
    std::atomic<bool> done = false;
    std::thread mover([&] {
        qint64 at = monotonicNs();
        for (std::size_t i = 0; i < gapsNs.size(); ++i) {
            sleepUntilNs(at + gapsNs[i]);
            at = monotonicNs();
            made.push_back(at);
            PtyRig::forceInputs(pty, level(i % 2 == 0));
        }
        done = true;
    });
    while (!done)
        runEventLoopFor(std::chrono::milliseconds(10));
    mover.join();
    runEventLoopFor(std::chrono::milliseconds(50));
    return made;
}

// CPU time of the threads watching modem lines, in ns.
qint64 watcherCpuNs()
{
    qint64 total = 0;
    for (QDirIterator task("/proc/self/task", QDir::Dirs | QDir::NoDotAndDotDot); task.hasNext();) {
        const QString path = task.next();
        QFile name(path + "/comm");
        QFile schedstat(path + "/schedstat");
        if (name.open(QIODevice::ReadOnly) && name.readAll().trimmed() == "sernix-lines"
            && schedstat.open(QIODevice::ReadOnly))
            total += schedstat.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

} // namespace

void lineEdges(Report &report, const QStringList &arguments)
{
    const qint64 edges = option(arguments, QStringLiteral("--edges"), 1000);
    const qint64 idleSeconds = option(arguments, QStringLiteral("--seconds"), 10);
    log(QStringLiteral("line edges: %1 CTS edges 2 to 200 ms apart, 20 DCD drops of 5 ms, 4 idle watchers for %2 s")
            .arg(edges)
            .arg(idleSeconds));
    BenchWindow window(Record::ChannelCount);
    if (!report.check(QStringLiteral("all ports opened"), window.switchOn()))
        return;
    window.form().Timer1.start();
    const Record::Record &record = window.form().record();
    runEventLoopFor(std::chrono::milliseconds(500));

    {
        const qint64 cpuStart = watcherCpuNs();
        const qint64 wallStart = monotonicNs();
        runEventLoopFor(std::chrono::seconds(idleSeconds));
        const double seconds = double(monotonicNs() - wallStart) / 1e9;
        report.add(QStringLiteral("4 idle watchers: CPU time per second"),
                   double(watcherCpuNs() - cpuStart) / 1e6 / seconds, QStringLiteral("ms/s"), 4, 0.05);
    }

    std::mt19937_64 random(27);
    std::uniform_int_distribution<qint64> gapNs(ShortestGapNs, 200'000'000);
    std::vector<qint64> gaps{100'000'000};
    while (qint64(gaps.size()) < edges)
        gaps.push_back(gapNs(random));
    quint64 before = record.lastSequence();
    const std::vector<qint64> made =
        moveAfter(window.pty(1), gaps, [](bool on) { return PtyRig::InputOverrides{.cts = on}; });
    const std::vector<qint64> recorded = edgesOf(record, EventKind::Cts, before);
    if (report.check(QStringLiteral("every CTS edge recorded once"), recorded.size() == made.size(),
                     QStringLiteral("%1 of %2").arg(recorded.size()).arg(made.size()))) {
        Samples error;
        for (std::size_t i = 0; i < made.size(); ++i)
            error.add(double(std::abs(recorded[i] - record.clock().fromSteadyNs(made[i]))) * 1000.0);
        report.add(QStringLiteral("stamp error, median"), nsToMs(error.median()), QStringLiteral("ms"), 3, 0.2);
        report.add(QStringLiteral("stamp error, p99"), nsToMs(error.percentile(99)), QStringLiteral("ms"), 3, 1);
        report.add(QStringLiteral("stamp error, worst"), nsToMs(error.max()), QStringLiteral("ms"), 3);
    }

    PtyRig::forceInputs(window.pty(1), {.dcd = true});
    runEventLoopFor(std::chrono::milliseconds(50));
    gaps.clear();
    while (gaps.size() < 40)
        gaps.push_back(gaps.size() % 2 ? 5'000'000 : 95'000'000);
    before = record.lastSequence();
    const std::vector<qint64> dropsMade =
        moveAfter(window.pty(1), gaps, [](bool on) { return PtyRig::InputOverrides{.dcd = !on}; });
    const std::vector<qint64> dcd = edgesOf(record, EventKind::Dcd, before);
    if (report.check(QStringLiteral("every DCD edge recorded once"), dcd.size() == gaps.size(),
                     QStringLiteral("%1 of %2").arg(dcd.size()).arg(gaps.size()))) {
        // The mover's own sleeps may overrun on a busy machine: the drop as
        // made is measured too, and the record's error is against that.
        Samples drop;
        Samples made;
        Samples error;
        for (std::size_t i = 0; i + 1 < dcd.size(); i += 2) {
            drop.add(double(dcd[i + 1] - dcd[i]) * 1000.0);
            made.add(double(dropsMade[i + 1] - dropsMade[i]));
            error.add(std::abs(double(dcd[i + 1] - dcd[i]) * 1000.0 - double(dropsMade[i + 1] - dropsMade[i])));
        }
        report.add(QStringLiteral("5 ms DCD drop as recorded, median"), nsToMs(drop.median()), QStringLiteral("ms"), 3);
        report.add(QStringLiteral("5 ms DCD drop as recorded, shortest"), nsToMs(drop.percentile(1)),
                   QStringLiteral("ms"), 3);
        report.add(QStringLiteral("5 ms DCD drop as recorded, longest"), nsToMs(drop.max()), QStringLiteral("ms"), 3,
                   5.5);
        report.add(QStringLiteral("5 ms DCD drop as made, longest"), nsToMs(made.max()), QStringLiteral("ms"), 3);
        report.add(QStringLiteral("DCD drop, recorded against made, median error"), nsToMs(error.median()),
                   QStringLiteral("ms"), 3, 0.5);
        report.add(QStringLiteral("DCD drop, recorded against made, worst error"), nsToMs(error.max()),
                   QStringLiteral("ms"), 3);
    }
}

} // namespace Sernix::Bench
