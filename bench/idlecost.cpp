// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// What the program costs while it only watches, the poll timer running for
// real: four ports open with nothing on the lines, then four ports whose
// devices were pulled out and stay away, so that each serial control looks
// for its device at every tick.

#include "benchmarks.h"
#include "benchwindow.h"
#include "controls/fittedlabel.h"
#include "options.h"

#include <QTimer>

namespace Sernix::Bench {

using namespace Sernix::Controls;

namespace {

void measure(Report &report, BenchWindow &window, const QString &label, qint64 seconds)
{
    int ticks = 0;
    QObject::connect(&window.form().Timer1, &QTimer::timeout, [&] { ++ticks; });
    // The first ticks paint the boxes from empty; the steady state comes after.
    const bool settled = processEventsUntil([&] { return ticks >= 3; }, std::chrono::seconds(5));
    if (!report.check(label + QStringLiteral(": poll timer ticking"), settled))
        return;

    ticks = 0;
    const qint64 cpuStart = processCpuTimeNs();
    const qint64 wallStart = monotonicNs();
    runEventLoopFor(std::chrono::seconds(seconds));
    const double wallSeconds = double(monotonicNs() - wallStart) / 1e9;
    const double cpuMs = double(processCpuTimeNs() - cpuStart) / 1e6;

    const double expectedTicks = wallSeconds * 1000.0 / window.form().Timer1.interval();
    report.check(label + QStringLiteral(": poll timer kept its cadence"), ticks >= expectedTicks * 0.9,
                 QStringLiteral("%1 ticks in %2 s").arg(ticks).arg(wallSeconds, 0, 'f', 1));
    report.add(label + QStringLiteral(": CPU time per second"), cpuMs / wallSeconds, QStringLiteral("ms/s"), 3, 2);
    report.add(label + QStringLiteral(": CPU time per tick"), ticks > 0 ? cpuMs * 1000.0 / ticks : 0,
               QStringLiteral("us"), 1);
}

} // namespace

void idleCost(Report &report, const QStringList &arguments)
{
    const qint64 seconds = option(arguments, QStringLiteral("--seconds"), 30);
    log(QStringLiteral("idle cost: 4 quiet lines for %1 s, then 4 lost devices for %1 s").arg(seconds));
    {
        BenchWindow window(ChannelCount);
        if (report.check(QStringLiteral("quiet lines: all ports opened"), window.switchOn()))
            measure(report, window, QStringLiteral("4 quiet lines"), seconds);
    }

    BenchWindow window(ChannelCount, BenchWindow::Reach::Link);
    if (!report.check(QStringLiteral("lost devices: all ports opened"), window.switchOn()))
        return;
    for (int channel = 1; channel <= ChannelCount; ++channel)
        window.unplug(channel);
    const auto allLost = [&] {
        for (int channel = 1; channel <= ChannelCount; ++channel) {
            if (window.channel(channel).deviceState->fullText() != QLatin1String("device lost"))
                return false;
        }
        return true;
    };
    if (report.check(QStringLiteral("lost devices: every channel shows its device lost"),
                     processEventsUntil(allLost, std::chrono::seconds(5))))
        measure(report, window, QStringLiteral("4 lost devices"), seconds);
}

} // namespace Sernix::Bench
