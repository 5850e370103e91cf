// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// What one tick of the poll timer costs, driven directly so that nothing but
// the tick itself is timed. Painting and the ports' reading happen between
// ticks, in the event loop, as in the running program.

#include "benchmarks.h"
#include "benchwindow.h"
#include "options.h"

#include "controls/fittedlabel.h"
#include "ptyrig.h"

#include <QCoreApplication>

using namespace std::chrono_literals;

namespace Sernix::Bench {

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;

namespace {

// 115,200 baud for one 300 ms tick.
constexpr qsizetype BytesPerTick = CharactersPerSecondAt115200 * 300 / 1000;
static_assert(BytesPerTick == 3456);
constexpr int WarmUpTicks = 50;
const QString TransmitText = QStringLiteral("SERNIX poll cycle 0123456789\r\n");

void reportTimes(Report &report, const QString &label, const Samples &samples, std::optional<double> medianLimitMs = {},
                 const QString &note = {})
{
    report.add(label + QStringLiteral(": median"), nsToMs(samples.median()), QStringLiteral("ms"), 4, medianLimitMs)
        .note = note;
    report.add(label + QStringLiteral(": 99th percentile"), nsToMs(samples.percentile(99)), QStringLiteral("ms"), 4);
}

Samples timeQuietTicks(Form1 &form, int ticks)
{
    Samples samples;
    samples.reserve(std::size_t(ticks));
    for (int tick = -WarmUpTicks; tick < ticks; ++tick) {
        QCoreApplication::processEvents();
        const double ns = timeCall([&] { form.Timer1_Timer(); });
        if (tick >= 0)
            samples.add(ns);
    }
    QCoreApplication::processEvents();
    return samples;
}

void measureQuiet(Report &report, int lines, int ticks)
{
    BenchWindow window(lines);
    window.form().Timer1.stop();
    if (lines > 0 && !report.check(QStringLiteral("quiet lines: all ports opened"), window.switchOn()))
        return;
    const QString label = lines == 0 ? QStringLiteral("0 channels on") : QStringLiteral("4 channels on, quiet lines");
    reportTimes(report, label, timeQuietTicks(window.form(), ticks));
}

// history: the history window open, following the present, repainting
// between ticks as new events come into view.
void measureBusy(Report &report, int ticks, ByteStream::Kind kind, bool history = false)
{
    const bool anyByte = kind == ByteStream::Kind::AnyByte;
    const QString lines = history ? QStringLiteral("busy, history open")
        : anyByte                 ? QStringLiteral("busy")
                                  : QStringLiteral("busy, printable text");
    BenchWindow window(ChannelCount);
    window.form().Timer1.stop();
    if (!report.check(lines + QStringLiteral(": all ports opened"), window.switchOn()))
        return;
    window.setTransmitText(TransmitText);
    if (history)
        window.form().showHistory(1);

    std::vector<FarEnd> farEnds;
    for (int channel = 1; channel <= ChannelCount; ++channel)
        farEnds.emplace_back(window.pty(channel), quint64(channel), kind);

    Samples samples;
    samples.reserve(std::size_t(ticks));
    quint64 portsShouldHaveRead = BenchWindow::bytesReadByPorts();
    int ticksRun = 0;
    int ticksMissingBytes = 0;
    bool arrivedEveryTime = true;
    QStringList errorsShown;
    for (int tick = -WarmUpTicks; tick < ticks; ++tick) {
        // The rig keeps TIOCGICOUNT counters for the ptys. An error made up
        // before the last warm-up tick must be in each panel after it, or the
        // timed ticks would not be reading counters.
        if (tick == -1) {
            for (int channel = 1; channel <= ChannelCount; ++channel)
                PtyRig::receiveErrors(window.pty(channel), {.framing = 1});
        }
        for (FarEnd &farEnd : farEnds)
            farEnd.send(BytesPerTick);
        portsShouldHaveRead += quint64(BytesPerTick) * ChannelCount;
        // The ports take the bytes in through the event loop, as they do
        // between real ticks; only then does the timed tick start.
        arrivedEveryTime = processEventsUntil(
            [&] {
                for (FarEnd &farEnd : farEnds)
                    farEnd.push();
                return BenchWindow::bytesReadByPorts() >= portsShouldHaveRead;
            },
            10s);
        if (!arrivedEveryTime)
            break;
        const double ns = timeCall([&] { window.form().Timer1_Timer(); });
        ++ticksRun;
        if (tick >= 0)
            samples.add(ns);
        for (int channel = 1; tick == -1 && channel <= ChannelCount; ++channel)
            errorsShown << window.channel(channel).lineEvents->fullText();
        for (int channel = 1; channel <= ChannelCount; ++channel) {
            const QByteArray shown = window.shown(channel);
            if (shown.size() != BytesPerTick)
                ++ticksMissingBytes;
            farEnds.at(std::size_t(channel - 1)).verify(shown);
        }
    }

    report.check(lines + QStringLiteral(": bytes in before each tick"), arrivedEveryTime,
                 arrivedEveryTime ? QString()
                                  : QStringLiteral("bytes still missing after 10 s at tick %1").arg(ticksRun));
    report.check(lines + QStringLiteral(": line event counters read each tick"),
                 errorsShown == QStringList(ChannelCount, QStringLiteral("framing 1")),
                 QStringLiteral("a framing error made up on each line showed as: \"%1\"")
                     .arg(errorsShown.join(QLatin1String("\", \""))));
    // The target is for any bytes at all; text is the common case, shown for comparison.
    reportTimes(report,
                history       ? QStringLiteral("4 channels on, busy lines, history window open and following")
                    : anyByte ? QStringLiteral("4 channels on, busy lines, counters read")
                              : QStringLiteral("4 channels on, busy lines, printable text, counters read"),
                samples, anyByte ? std::optional<double>(0.3) : std::nullopt,
                QStringLiteral("each line, each tick: %1 bytes in (%2), %3 bytes sent every second tick")
                    .arg(BytesPerTick)
                    .arg(anyByte ? QStringLiteral("all byte values") : QStringLiteral("printable ASCII"))
                    .arg(TransmitText.size()));

    bool intact = true;
    QString detail;
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        const FarEnd &farEnd = farEnds.at(std::size_t(channel - 1));
        intact = intact && farEnd.intact() && farEnd.shownTotal() == farEnd.generated();
        detail += QStringLiteral("line %1: %2. ").arg(channel).arg(farEnd.differenceDescription());
    }
    report.check(lines + QStringLiteral(": every byte shown as sent"), intact, detail);
    report.check(lines + QStringLiteral(": each tick showed its 3,456 bytes"), ticksMissingBytes == 0,
                 QStringLiteral("%1 box readings of another size").arg(ticksMissingBytes));

    // The transmit box goes out on every second tick, starting with the first.
    const qint64 expectedSent = qint64(ticksRun + 1) / 2 * TransmitText.size() * ChannelCount;
    const bool sentAll = processEventsUntil([&] { return window.bytesSentByProgram() >= expectedSent; }, 10s);
    report.check(lines + QStringLiteral(": transmit text reached the far ends"),
                 sentAll && window.bytesSentByProgram() == expectedSent,
                 QStringLiteral("%1 of %2 bytes arrived").arg(window.bytesSentByProgram()).arg(expectedSent));
}

} // namespace

void pollCycle(Report &report, const QStringList &arguments)
{
    const int ticks = int(option(arguments, QStringLiteral("--ticks"), 2000));
    log(QStringLiteral("poll cycle: %1 timed ticks per case").arg(ticks));
    measureQuiet(report, 0, ticks);
    measureQuiet(report, ChannelCount, ticks);
    measureBusy(report, ticks, ByteStream::Kind::AnyByte);
    measureBusy(report, ticks, ByteStream::Kind::PrintableText);
    measureBusy(report, ticks, ByteStream::Kind::AnyByte, true);
}

} // namespace Sernix::Bench
