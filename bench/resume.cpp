// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// How soon a channel carries on when its device comes back: a pty pulled out
// from under a ticked channel and put back at the same path, the window's
// own timer running. Timed from the moment the device is at its path again
// to the first tick that shows it present and a byte its far end sent.

#include "benchmarks.h"
#include "benchwindow.h"
#include "options.h"

#include "controls/fittedlabel.h"
#include "ptypair.h"

#include <QRandomGenerator>
#include <QTimer>

using namespace std::chrono_literals;

namespace Sernix::Bench {

using namespace Sernix::Controls;
using namespace Sernix::Rig;

void resume(Report &report, const QStringList &arguments)
{
    const int repeats = int(option(arguments, QStringLiteral("--repeats"), 10));
    log(QStringLiteral("resume: a device pulled out and brought back %1 times").arg(repeats));

    BenchWindow window(1, BenchWindow::Reach::Link);
    if (!report.check(QStringLiteral("port opened"), window.switchOn()))
        return;
    const ChannelControls &channel = window.channel(1);
    const int intervalMs = window.form().Timer1.interval();

    struct Return
    {
        qint64 backNs;
        int backTick;
        qint64 liveNs = 0;
        int liveTick = 0;
        QByteArray shown{};
    };
    std::optional<Return> pending;
    int ticks = 0;
    // Looked at right after each tick: the receive box holds one tick's bytes.
    QObject::connect(&window.form().Timer1, &QTimer::timeout, [&] {
        ++ticks;
        if (pending && pending->liveTick == 0 && channel.deviceState->fullText().isEmpty()
            && !window.shown(1).isEmpty())
            *pending = {pending->backNs, pending->backTick, monotonicNs(), ticks, window.shown(1)};
    });
    const auto lost = [&] { return channel.deviceState->fullText() == QLatin1String("device lost"); };

    // Pulled out and put back at any moment of a tick, as a hand would; the
    // same moments on every run.
    QRandomGenerator moments(2217);
    Samples tickCounts;
    Samples latencies;
    QString failure;
    for (int repeat = 0; repeat < repeats && failure.isEmpty(); ++repeat) {
        const int before = ticks;
        processEventsUntil([&] { return ticks > before; }, 5s);
        runEventLoopFor(std::chrono::milliseconds(moments.bounded(intervalMs)));
        window.unplug(1);
        if (!processEventsUntil(lost, 5s)) {
            failure = QStringLiteral("return %1: the channel never showed its device lost").arg(repeat + 1);
            break;
        }
        runEventLoopFor(std::chrono::milliseconds(moments.bounded(intervalMs)));
        PtyPair &pty = window.plug(1);
        pending = Return{monotonicNs(), ticks};
        const QByteArray sent(1, char('A' + repeat % 26));
        pty.writeToMaster(sent);
        if (!processEventsUntil([&] { return pending->liveTick != 0; }, 5s)) {
            failure = QStringLiteral("return %1: no live lines within 5 s (device state \"%2\")")
                          .arg(repeat + 1)
                          .arg(channel.deviceState->fullText());
            break;
        }
        tickCounts.add(pending->liveTick - pending->backTick);
        latencies.add(double(pending->liveNs - pending->backNs));
        if (pending->shown != sent)
            failure = QStringLiteral("return %1: the receive box showed \"%2\", not \"%3\"")
                          .arg(repeat + 1)
                          .arg(QString::fromLatin1(pending->shown), QString::fromLatin1(sent));
        pending.reset();
    }

    report.check(QStringLiteral("every return showed the byte sent"), failure.isEmpty(), failure);
    report.add(QStringLiteral("returns timed"), double(tickCounts.count()), {}, 0);
    report.add(QStringLiteral("ticks from return to live lines: median"), tickCounts.median(), QStringLiteral("ticks"),
               0);
    report.add(QStringLiteral("ticks from return to live lines: worst"), tickCounts.max(), QStringLiteral("ticks"), 0,
               3);
    report.add(QStringLiteral("time from return to live lines: median"), nsToMs(latencies.median()),
               QStringLiteral("ms"), 0);
    report.add(QStringLiteral("time from return to live lines: worst"), nsToMs(latencies.max()), QStringLiteral("ms"),
               0, 600);
}

} // namespace Sernix::Bench
