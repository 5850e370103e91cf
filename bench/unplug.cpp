// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// What a device pulled out costs: a port open on a pty whose far end goes
// away, and the event loop running on afterwards. A descriptor that hangs up
// and keeps being polled would show here as a core kept busy.

#include "benchmarks.h"
#include "options.h"

#include "ptypair.h"

#include "serial/mscomm.h"

namespace Sernix::Bench {

using namespace Sernix::Rig;

void unplug(Report &report, const QStringList &arguments)
{
    const qint64 seconds = option(arguments, QStringLiteral("--seconds"), 1);
    log(QStringLiteral("unplug: a line pulled out under an open port, then %1 s of event loop").arg(seconds));

    PtyPair pty;
    MSCommLib::MSComm port(1, pty.slavePath());
    const auto attempt = [](auto &&step) {
        try {
            step();
            return true;
        } catch (const MSCommLib::CommError &) {
            return false;
        }
    };
    if (!report.check(QStringLiteral("port opened"), attempt([&] { port.setPortOpen(true); })))
        return;
    // A byte read first, so that the port is watching the line when it goes.
    pty.writeToMaster("x");
    QString received;
    processEventsUntil([&] { return attempt([&] { received += port.Input(); }) && !received.isEmpty(); },
                       std::chrono::seconds(5));
    if (!report.check(QStringLiteral("a byte came over the line"), received == QLatin1String("x")))
        return;

    pty.unplug();
    const qint64 cpuStart = processCpuTimeNs();
    const qint64 wallStart = monotonicNs();
    runEventLoopFor(std::chrono::seconds(seconds));
    const double wallSeconds = double(monotonicNs() - wallStart) / 1e9;
    const double cpuMs = double(processCpuTimeNs() - cpuStart) / 1e6;
    report.add(QStringLiteral("CPU time per second after unplugging"), cpuMs / wallSeconds, QStringLiteral("ms/s"), 1,
               200);
}

} // namespace Sernix::Bench
