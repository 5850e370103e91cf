// What the program costs while it only watches: four ports open, nothing on
// the lines, the poll timer running for real.

#include "benchmarks.h"
#include "benchwindow.h"

#include <QEventLoop>
#include <QTimer>

using namespace Bench;

void Benchmarks::idleCost(Report &report, const QStringList &arguments)
{
    const qint64 seconds = option(arguments, QStringLiteral("--seconds"), 30);
    log(QStringLiteral("idle cost: 4 quiet lines for %1 s").arg(seconds));

    BenchWindow window(ChannelCount);
    if (!report.check(QStringLiteral("all ports opened"), window.switchOn()))
        return;

    int ticks = 0;
    QObject::connect(&window.form().Timer1, &QTimer::timeout, [&] { ++ticks; });
    QEventLoop loop;
    // The first ticks paint the boxes from empty; the steady state comes after.
    const bool settled = processEventsUntil([&] { return ticks >= 3; }, std::chrono::seconds(5));
    if (!report.check(QStringLiteral("poll timer ticking"), settled))
        return;

    ticks = 0;
    const qint64 cpuStart = processCpuTimeNs();
    const qint64 wallStart = monotonicNs();
    QTimer::singleShot(std::chrono::seconds(seconds), &loop, &QEventLoop::quit);
    loop.exec();
    const double wallSeconds = double(monotonicNs() - wallStart) / 1e9;
    const double cpuMs = double(processCpuTimeNs() - cpuStart) / 1e6;

    const double expectedTicks = wallSeconds * 1000.0 / window.form().Timer1.interval();
    report.check(QStringLiteral("poll timer kept its cadence"), ticks >= expectedTicks * 0.9,
                 QStringLiteral("%1 ticks in %2 s").arg(ticks).arg(wallSeconds, 0, 'f', 1));
    report.add(QStringLiteral("CPU time per second"), cpuMs / wallSeconds, QStringLiteral("ms/s"), 3, 2);
    report.add(QStringLiteral("CPU time per tick"), ticks > 0 ? cpuMs * 1000.0 / ticks : 0, QStringLiteral("us"), 1);
}
