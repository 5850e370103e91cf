// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// Four lines fed far faster than any real line at 115,200 baud, with the poll
// timer running on its real cadence: every byte must reach the receive boxes.
// The check reads each box right after each tick, which is all a user sees.
// The lines are local ptys, or remote ports that one ser2net shares.

#include "benchmarks.h"
#include "benchwindow.h"
#include "options.h"

#include "record/record.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace Sernix::Bench {

using namespace Sernix::Controls;

namespace {

// Ten times what 115,200 baud carries.
constexpr qint64 FeedBytesPerSecond = 10 * CharactersPerSecondAt115200;
constexpr int FeedIntervalMs = 10;
// After the feed stops, time for the last bytes to come through.
constexpr qint64 DrainNs = 5'000'000'000;

// Reads the received bytes of each line back from the CSV file and checks
// them against the stream each far end sent, as a second reader of it.
void checkRecordedCsv(Report &report, BenchWindow &window, const QString &path, const std::vector<FarEnd> &farEnds)
{
    std::vector<FarEnd> readers;
    for (int channel = 1; channel <= ChannelCount; ++channel)
        readers.emplace_back(window.pty(channel), quint64(100 + channel));
    QFile file(path);
    if (!report.check(QStringLiteral("CSV file readable"), file.open(QIODevice::ReadOnly)))
        return;
    while (!file.atEnd()) {
        // time,channel,event,value,...: the hex value never holds a comma.
        const QList<QByteArray> fields = file.readLine().split(',');
        if (fields.size() < 4 || fields.at(2) != "received")
            continue;
        const int channel = fields.at(1).mid(3).toInt();
        readers.at(std::size_t(channel - 1)).verify(QByteArray::fromHex(fields.at(3)));
    }
    bool equal = true;
    QString detail;
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        const FarEnd &reader = readers.at(std::size_t(channel - 1));
        equal = equal && reader.intact() && reader.shownTotal() == farEnds.at(std::size_t(channel - 1)).generated();
        detail += QStringLiteral("line %1: %2. ").arg(channel).arg(reader.differenceDescription());
    }
    report.check(QStringLiteral("CSV received bytes equal what was sent, 4 lines"), equal, detail);
    report.add(QStringLiteral("CSV file"), double(file.size()) / 1e6, QStringLiteral("MB"), 1);
}

void receive(Report &report, const QStringList &arguments, BenchWindow::Reach reach, bool recording = false)
{
    const qint64 seconds = option(arguments, QStringLiteral("--seconds"), 30);
    const qint64 feedNs = seconds * 1'000'000'000;
    log(QStringLiteral("%1: 4 lines at %2 bytes/s each for %3 s")
            .arg(reach == BenchWindow::Reach::Remote ? QStringLiteral("remote receive, one ser2net")
                                                     : QStringLiteral("lossless receive"))
            .arg(FeedBytesPerSecond)
            .arg(seconds));

    BenchWindow window(ChannelCount, reach);
    // The window's own timer is replaced by one on the same cadence that
    // calls the same slot, so that each tick can be timed.
    const int tickIntervalMs = window.form().Timer1.interval();
    window.form().Timer1.stop();
    QTemporaryDir files;
    const QString csv = files.filePath(QStringLiteral("record.csv"));
    if (recording) {
        for (const QString &file : {csv, files.filePath(QStringLiteral("record.vcd"))}) {
            const QString error = window.form().recordings().start(file);
            if (!report.check(QStringLiteral("recording started"), error.isEmpty(), error))
                return;
        }
    }
    if (!report.check(QStringLiteral("all ports opened"), window.switchOn()))
        return;

    std::vector<FarEnd> farEnds;
    for (int channel = 1; channel <= ChannelCount; ++channel)
        farEnds.emplace_back(window.pty(channel), quint64(100 + channel));

    QElapsedTimer clock;
    qsizetype largestBacklog = 0;
    QTimer feeder;
    feeder.setTimerType(Qt::PreciseTimer);
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        // What is due by now, not a fixed amount per firing: a late timer
        // must not lower the rate.
        const qint64 due = FeedBytesPerSecond * std::min(clock.nsecsElapsed(), feedNs) / 1'000'000'000;
        for (FarEnd &farEnd : farEnds) {
            farEnd.send(due - farEnd.generated());
            largestBacklog = std::max(largestBacklog, farEnd.backlog());
        }
    });

    Samples tickTimes;
    qint64 lastFeedTickNs = 0;
    qint64 shownByLastFeedTick = 0; // slowest line
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 tickStartNs = clock.nsecsElapsed();
        const double tickNs = timeCall([&] { window.form().Timer1_Timer(); });
        bool anythingShown = false;
        for (int channel = 1; channel <= ChannelCount; ++channel) {
            const QByteArray shown = window.shown(channel);
            anythingShown = anythingShown || !shown.isEmpty();
            farEnds.at(std::size_t(channel - 1)).verify(shown);
        }
        if (tickStartNs < feedNs) {
            // Ticks after the feed only pick up the rest; they would flatter the figures.
            tickTimes.add(tickNs);
            lastFeedTickNs = clock.nsecsElapsed();
            shownByLastFeedTick = farEnds.front().shownTotal();
            for (const FarEnd &farEnd : farEnds)
                shownByLastFeedTick = std::min(shownByLastFeedTick, farEnd.shownTotal());
            return;
        }
        const bool allSent = std::ranges::all_of(farEnds, [](const FarEnd &farEnd) { return farEnd.backlog() == 0; });
        const bool allShown = std::ranges::all_of(
            farEnds, [](const FarEnd &farEnd) { return farEnd.shownTotal() >= farEnd.generated(); });
        // Bytes that went missing never come: a quiet tick after the last
        // write ends the wait as well.
        if ((allSent && (allShown || !anythingShown)) || tickStartNs > feedNs + DrainNs)
            loop.quit();
    });

    const qint64 cpuStart = processCpuTimeNs();
    clock.start();
    feeder.start(FeedIntervalMs);
    ticker.start(tickIntervalMs);
    loop.exec();
    const double wallSeconds = double(clock.nsecsElapsed()) / 1e9;
    const double cpuSeconds = double(processCpuTimeNs() - cpuStart) / 1e9;
    feeder.stop();
    ticker.stop();

    qint64 missing = 0;
    bool intact = true;
    QString detail;
    qsizetype largestChunk = 0;
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        const FarEnd &farEnd = farEnds.at(std::size_t(channel - 1));
        missing += std::max<qint64>(0, farEnd.generated() - farEnd.shownTotal());
        intact = intact && farEnd.intact() && farEnd.shownTotal() == farEnd.generated();
        largestChunk = std::max(largestChunk, farEnd.largestChunk());
        detail += QStringLiteral("line %1: %2. ").arg(channel).arg(farEnd.differenceDescription());
    }
    log(detail);

    report.check(QStringLiteral("every byte shown as sent, 4 lines"), intact, detail, double(missing),
                 QStringLiteral("bytes missing"));
    report.add(QStringLiteral("offered per line"), double(FeedBytesPerSecond), QStringLiteral("bytes/s"), 0);
    report.add(QStringLiteral("delivered per line (slowest line)"),
               lastFeedTickNs > 0 ? double(shownByLastFeedTick) * 1e9 / double(lastFeedTickNs) : 0,
               QStringLiteral("bytes/s"), 0);
    report.add(QStringLiteral("longest tick"), nsToMs(tickTimes.max()), QStringLiteral("ms"), 2, 20);
    report.add(QStringLiteral("median tick"), nsToMs(tickTimes.median()), QStringLiteral("ms"), 2);
    report.add(QStringLiteral("ticks while feeding"), double(tickTimes.count()), {}, 0);
    report.add(QStringLiteral("largest receive box text"), double(largestChunk), QStringLiteral("bytes"), 0);
    report.add(QStringLiteral("largest backlog at a far end"), double(largestBacklog), QStringLiteral("bytes"), 0);
    report.add(QStringLiteral("process CPU load"), 100.0 * cpuSeconds / wallSeconds, QStringLiteral("%"), 1);
    if (recording) {
        window.form().recordings().stopAll();
        checkRecordedCsv(report, window, csv, farEnds);
        report.add(QStringLiteral("record's memory"), double(window.form().record().footprint()) / 1e6,
                   QStringLiteral("MB"), 1);
    }
}

} // namespace

void losslessReceive(Report &report, const QStringList &arguments)
{
    receive(report, arguments, BenchWindow::Reach::Direct);
}

void recordedReceive(Report &report, const QStringList &arguments)
{
    log(QStringLiteral("recording to a CSV and a VCD file"));
    receive(report, arguments, BenchWindow::Reach::Direct, true);
}

void remoteReceive(Report &report, const QStringList &arguments)
{
    receive(report, arguments, BenchWindow::Reach::Remote);
}

} // namespace Sernix::Bench
