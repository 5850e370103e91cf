// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// What the history window costs to draw a record filled to its bounds, seen
// whole at the widest zoom: every event of a day is in view at once.

#include "benchmarks.h"
#include "options.h"

#include "history/historyview.h"
#include "record/record.h"

#include <QImage>
#include <QPainter>

namespace Sernix::Bench {

using Kind = Sernix::Record::EventKind;

namespace {

constexpr qint64 Second = 1'000'000;
constexpr qint64 Day = 86'400 * Second;
constexpr int ViewWidth = 1920;

// A day of four channels whose lines change every few tenths of a second,
// with pulses, errors, a device that leaves and comes back now and then,
// and data several times a second: more than the record keeps of either.
void fill(Sernix::Record::Record &record)
{
    constexpr qint64 LineStep = Day / 440'000;
    constexpr qint64 DataStep = Day / 1'300'000;
    const QByteArray bytes(48, 'x');
    qint64 lineTime = -Day;
    qint64 n = 0;
    for (qint64 dataTime = -Day; dataTime < 0; dataTime += DataStep, ++n) {
        record.appendData(int(n % 4) + 1, n % 3 == 0 ? Kind::Sent : Kind::Received, bytes, dataTime);
        while (lineTime <= dataTime) {
            const int channel = int(n % 4) + 1;
            if (n % 5000 == 0) {
                record.appendStatus(channel, Kind::Lost, {}, QStringLiteral("gone"), lineTime);
                record.appendStatus(channel, Kind::Back, {}, {}, lineTime + 1);
            } else if (n % 97 == 0) {
                record.appendPulse(channel, Sernix::Record::Line::Cts, 3, lineTime);
            } else if (n % 89 == 0) {
                record.appendError(channel, Kind::Framing, 1, lineTime);
            } else {
                record.appendLevel(channel, Sernix::Record::Line(n % 6), n % 2 != 0, lineTime);
            }
            lineTime += LineStep;
        }
    }
}

} // namespace

void historyRepaint(Report &report, const QStringList &arguments)
{
    const int repaints = int(option(arguments, QStringLiteral("--repaints"), 30));
    Sernix::Record::Record record;
    fill(record);
    const qint64 events = qint64(record.events(Sernix::Record::Category::Lines).size()
                                 + record.events(Sernix::Record::Category::Data).size());
    report.check(QStringLiteral("the record is full: it dropped older events of both kinds"),
                 record.heldSince(Sernix::Record::Category::Lines) > -Day
                     && record.heldSince(Sernix::Record::Category::Data) > -Day);
    report.add(QStringLiteral("events held"), double(events), {}, 0);

    Sernix::History::HistoryView view(record);
    view.resize(Sernix::History::LaneLayout::LabelWidth + ViewWidth, Sernix::History::LaneLayout::Height);
    view.show();
    view.setRange(-Day, 0); // zoomed out as far as it goes: the whole record
    QImage image(view.size(), QImage::Format_RGB32);
    Samples samples;
    for (int i = -3; i < repaints; ++i) {
        const double ns = timeCall([&] { view.render(&image); });
        if (i >= 0)
            samples.add(ns);
    }
    const QString note =
        QStringLiteral("%1 px of time line, 4 channels' lanes, %2 events in view").arg(ViewWidth).arg(events);
    report
        .add(QStringLiteral("repaint, whole full record, widest zoom: median"), nsToMs(samples.median()),
             QStringLiteral("ms"), 2, 16.0)
        .note = note;
    report.add(QStringLiteral("repaint, whole full record, widest zoom: 99th percentile"),
               nsToMs(samples.percentile(99)), QStringLiteral("ms"), 2);
}

} // namespace Sernix::Bench
