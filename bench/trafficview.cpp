// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// What the traffic view costs over a record filled to its bounds with data in
// chunks of a few bytes, four channels: opening it, jumping to either end,
// repainting the table, finding bytes that are nowhere, and its own memory.

#include "benchmarks.h"
#include "options.h"

#include "history/trafficmodel.h"
#include "history/trafficwindow.h"
#include "record/record.h"

#include <QCoreApplication>
#include <QImage>
#include <QTableView>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace Sernix::Bench {

using Kind = Sernix::Record::EventKind;
using Sernix::Record::Category;

void trafficView(Report &report, const QStringList &arguments)
{
    const int repaints = int(option(arguments, QStringLiteral("--repaints"), 30));
    Sernix::Record::Record record;
    // A chunk every 5 ms on one of the channels, 4 bytes each, until the
    // record has dropped some: it then holds all it can.
    qint64 time = 0;
    for (qint64 n = 0; record.heldSince(Category::Data) == 0; ++n, time += 5000)
        record.appendData(int(n % 4) + 1, n % 3 == 0 ? Kind::Sent : Kind::Received, "ab\r\n", time);
    const qint64 data = record.footprint(Category::Data);
    report.add(QStringLiteral("data events held"), double(record.events(Category::Data).size()), {}, 0);

#ifdef __GLIBC__
    const std::size_t heapBefore = mallinfo2().uordblks;
#endif
    std::unique_ptr<Sernix::History::TrafficWindow> window;
    report.add(QStringLiteral("open the view (every row counted)"),
               nsToMs(timeCall([&] { window = std::make_unique<Sernix::History::TrafficWindow>(record); })),
               QStringLiteral("ms"), 1, 200.0);
    Sernix::History::TrafficModel &model = window->model();
    report.add(QStringLiteral("rows"), double(model.rowCount()), {}, 0);
    window->resize(1280, 800);
    window->show();
    QTableView &table = window->table();
    QCoreApplication::processEvents();
#ifdef __GLIBC__
    // All the window holds once shown: the model, the table and its headers.
    report.add(QStringLiteral("heap of the window shown / data held"),
               100.0 * double(mallinfo2().uordblks - heapBefore) / double(data), QStringLiteral("%"), 2, 10.0);
#endif
    for (const auto &[name, row] :
         {std::pair("jump to the start", 0), std::pair("jump to the end", model.rowCount() - 1)}) {
        report.add(QStringLiteral("%1 and draw").arg(QLatin1String(name)), nsToMs(timeCall([&, row = row] {
                       table.scrollTo(model.index(row, 0));
                       table.viewport()->grab();
                   })),
                   QStringLiteral("ms"), 1, 200.0);
    }
    QImage image(table.viewport()->size(), QImage::Format_RGB32);
    Samples samples;
    for (int i = -3; i < repaints; ++i) {
        table.scrollTo(model.index(int(qint64(model.rowCount()) * (i + 3) / (repaints + 3)), 0));
        const double ns = timeCall([&] { table.viewport()->render(&image); });
        if (i >= 0)
            samples.add(ns);
    }
    report.add(QStringLiteral("repaint while scrolling: median"), nsToMs(samples.median()), QStringLiteral("ms"), 2,
               16.0);
    report.add(QStringLiteral("find bytes that are nowhere, all rows"),
               nsToMs(timeCall([&] { model.find("\xff\xfe", 0, true); })), QStringLiteral("ms"), 0, 1000.0);
    report.add(QStringLiteral("model's memory / data held"), 100.0 * double(model.footprint()) / double(data),
               QStringLiteral("%"), 2, 10.0);
}

} // namespace Sernix::Bench
