// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// A million poll cycles back to back with traffic on all four lines: memory
// must not creep, and every byte must still arrive.

#include "benchmarks.h"
#include "benchwindow.h"
#include "options.h"
#include "record/record.h"

#include <QCoreApplication>

using namespace std::chrono_literals;

namespace Sernix::Bench {

using namespace Sernix::Controls;

namespace {

constexpr qint64 FirstMark = 10'000;
constexpr qsizetype BytesPerCycle = 16;
// Cycles between turns of the event loop: often enough that the ports'
// queued writes go out and the boxes get painted, as between real ticks.
constexpr qint64 CyclesPerEventTurn = 10;
constexpr qint64 ProgressEvery = 100'000;
const QString TransmitText = QStringLiteral("SERNIX soak\r\n");

double megabytes(qint64 kib)
{
    return double(kib) * 1024.0 / 1e6;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

void soak(Report &report, const QStringList &arguments)
{
    const qint64 cycles = std::max(option(arguments, QStringLiteral("--cycles"), 1'000'000), FirstMark);
    log(QStringLiteral("soak: %1 poll cycles, 4 lines, %2 bytes in per cycle each").arg(cycles).arg(BytesPerCycle));

    BenchWindow window(ChannelCount);
    window.form().Timer1.stop();
    if (!report.check(QStringLiteral("all ports opened"), window.switchOn()))
        return;
    window.setTransmitText(TransmitText);
    std::vector<FarEnd> farEnds;
    for (int channel = 1; channel <= ChannelCount; ++channel)
        farEnds.emplace_back(window.pty(channel), quint64(200 + channel));

    qint64 ticks = 0;
    const auto tick = [&] {
        window.form().Timer1_Timer();
        ++ticks;
        for (int channel = 1; channel <= ChannelCount; ++channel)
            farEnds.at(std::size_t(channel - 1)).verify(window.shown(channel));
    };
    const auto cycle = [&] {
        for (FarEnd &farEnd : farEnds)
            farEnd.send(BytesPerCycle);
        tick();
    };

    qint64 residentAtMark = 0;
    qint64 recordAtMark = 0; // the record's own memory, reported apart
    double secondsAtMark = 0;
    const auto start = Clock::now();
    for (qint64 done = 1; done <= cycles; ++done) {
        cycle();
        if (done % CyclesPerEventTurn == 0)
            QCoreApplication::processEvents();
        if (done == FirstMark) {
            residentAtMark = residentKb();
            recordAtMark = window.form().record().footprint();
            secondsAtMark = secondsSince(start);
            log(QStringLiteral("soak: %1 cycles in %2 s, all %3 projected at %4 s")
                    .arg(FirstMark)
                    .arg(secondsAtMark, 0, 'f', 1)
                    .arg(cycles)
                    .arg(secondsAtMark * double(cycles) / double(FirstMark), 0, 'f', 0));
        }
        if (done % ProgressEvery == 0)
            log(QStringLiteral("soak: %1 cycles, %2 s, VmRSS %3 kB")
                    .arg(done)
                    .arg(secondsSince(start), 0, 'f', 1)
                    .arg(residentKb()));
    }
    const double seconds = secondsSince(start);
    QCoreApplication::processEvents();
    const qint64 residentAtEnd = residentKb();

    // The last bytes written may still be on their way; a few more ticks
    // bring them in.
    processEventsUntil(
        [&] {
            tick();
            return std::ranges::all_of(farEnds, [](const FarEnd &farEnd) {
                return !farEnd.intact() || farEnd.shownTotal() >= farEnd.generated();
            });
        },
        5s);
    bool intact = true;
    QString detail;
    qint64 missing = 0;
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        const FarEnd &farEnd = farEnds.at(std::size_t(channel - 1));
        intact = intact && farEnd.intact();
        missing += std::max<qint64>(0, farEnd.generated() - farEnd.shownTotal());
        detail += QStringLiteral("line %1: %2. ").arg(channel).arg(farEnd.differenceDescription());
    }
    report.check(QStringLiteral("every byte shown as sent, 4 lines"), intact && missing == 0, detail, double(missing),
                 QStringLiteral("bytes missing"));

    // The transmit box goes out on every second tick, starting with the first.
    const qint64 expectedSent = (ticks + 1) / 2 * TransmitText.size() * ChannelCount;
    const bool sentAll = processEventsUntil([&] { return window.bytesSentByProgram() >= expectedSent; }, 10s);
    report.check(QStringLiteral("transmit boxes reached the far ends"),
                 sentAll && window.bytesSentByProgram() == expectedSent,
                 QStringLiteral("%1 of %2 bytes arrived").arg(window.bytesSentByProgram()).arg(expectedSent));

    report.add(QStringLiteral("poll cycles"), double(cycles), {}, 0);
    report.add(QStringLiteral("time taken"), seconds, QStringLiteral("s"), 1);
    report.add(QStringLiteral("cycles per second"), double(cycles) / seconds, {}, 0);
    report.add(QStringLiteral("VmRSS after %1 cycles").arg(FirstMark), megabytes(residentAtMark), QStringLiteral("MB"),
               2);
    report.add(QStringLiteral("VmRSS at the end"), megabytes(residentAtEnd), QStringLiteral("MB"), 2);
    const qint64 recordAtEnd = window.form().record().footprint();
    const qint64 recordBound = window.form().record().budget().lineBytes + window.form().record().budget().dataBytes;
    report.add(QStringLiteral("record's memory at the end"), double(recordAtEnd) / 1e6, QStringLiteral("MB"), 2,
               double(recordBound) / 1e6);
    // What each event really costs the record, entries and bytes together.
    const Record::Record &record = window.form().record();
    for (const auto &[category, name] : {std::pair{Record::Category::Lines, QStringLiteral("line")},
                                         std::pair{Record::Category::Data, QStringLiteral("data")}}) {
        const auto held = qsizetype(record.events(category).size());
        report.add(QStringLiteral("%1 events held at the end").arg(name), double(held), {}, 0);
        report.add(QStringLiteral("record's bytes per %1 event").arg(name),
                   held ? double(record.footprint(category)) / double(held) : 0.0, QStringLiteral("B"), 1);
    }
    report.add(QStringLiteral("growth beyond the record's"),
               megabytes(residentAtEnd - residentAtMark) - double(recordAtEnd - recordAtMark) / 1e6,
               QStringLiteral("MB"), 3, 16);
}

} // namespace Sernix::Bench
