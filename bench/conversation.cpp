// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// Two devices in conversation, watched as the two sides of one link: a thread
// of the benchmark's own writes a request into COM1's pty and, after a set
// pause, the answer into COM2's, with a framing and a parity error counted on
// COM2 on the way. The traffic view, with COM1 and COM2 linked, then reads as
// one conversation, and each answer's time is set against the pause made.

#include "benchmarks.h"
#include "benchwindow.h"
#include "options.h"

#include "ptypair.h"
#include "ptyrig.h"

#include "history/trafficmodel.h"
#include "history/trafficwindow.h"

#include <QPixmap>
#include <QTableView>

#include <atomic>
#include <thread>
#include <time.h>

namespace Sernix::Bench {

using namespace Sernix::Rig;

namespace {

constexpr quint8 Com1AndCom2 = 0x3;

void sleepForNs(qint64 ns)
{
    const timespec span{time_t(ns / 1000000000), long(ns % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, 0, &span, nullptr) == EINTR) { }
}

} // namespace

void conversation(Report &report, const QStringList &arguments)
{
    const std::vector<qint64> pausesMs{5, 10, 20, 40, 80, 15, 30, 60};
    log(QStringLiteral("conversation: %1 requests on COM1, each answered on COM2 after a set pause")
            .arg(pausesMs.size()));
    BenchWindow window(2);
    if (!report.check(QStringLiteral("both ports opened"), window.switchOn()))
        return;
    window.form().Timer1.start();
    runEventLoopFor(std::chrono::milliseconds(400));

    std::vector<qint64> madeNs; // from the request's write to the answer's
    std::atomic<bool> done = false;
    std::thread devices([&] {
        for (std::size_t i = 0; i < pausesMs.size(); ++i) {
            const qint64 asked = monotonicNs();
            window.pty(1).writeToMaster(QStringLiteral("READ %1\r").arg(i).toLatin1());
            sleepForNs(pausesMs[i] * 1'000'000);
            if (i == 2 || i == 5)
                PtyRig::receiveErrors(window.pty(2),
                                      i == 2 ? PtyRig::LineErrors{.framing = 1} : PtyRig::LineErrors{.parity = 1});
            madeNs.push_back(monotonicNs() - asked);
            window.pty(2).writeToMaster(QStringLiteral("VALUE %1=%2\r").arg(i).arg(i * 7).toLatin1());
            sleepForNs(350'000'000); // past a look, so that errors fall between exchanges
        }
        done = true;
    });
    while (!done)
        runEventLoopFor(std::chrono::milliseconds(10));
    devices.join();
    runEventLoopFor(std::chrono::milliseconds(400));

    window.form().showTraffic(1);
    auto *traffic = window.form().findChild<History::TrafficWindow *>(QStringLiteral("Traffic"));
    traffic->setLink(Com1AndCom2);
    const History::TrafficModel &model = traffic->model();
    std::vector<qint64> answersNs;
    int errors = 0;
    int firstData = -1;
    for (int row = 0; row < model.rowCount(); ++row) {
        const History::TrafficRow found = model.row(row);
        firstData = firstData < 0 && found.isData ? row : firstData;
        errors += Record::isError(found.kind) ? 1 : 0;
        if (found.isData && found.channel == 2 && found.answerNs >= 0)
            answersNs.push_back(found.answerNs);
    }
    report.check(QStringLiteral("both errors shown"), errors == 2, QStringLiteral("%1 error rows").arg(errors));
    if (!report.check(QStringLiteral("every answer has its answer time"), answersNs.size() == madeNs.size(),
                      QStringLiteral("%1 of %2").arg(answersNs.size()).arg(madeNs.size())))
        return;
    Samples error;
    for (std::size_t i = 0; i < madeNs.size(); ++i) {
        report.add(QStringLiteral("answer %1: pause %2 ms made %3 ms, shown")
                       .arg(i)
                       .arg(pausesMs[i])
                       .arg(nsToMs(double(madeNs[i])), 0, 'f', 3),
                   nsToMs(double(answersNs[i])), QStringLiteral("ms"), 3);
        error.add(std::abs(double(answersNs[i] - madeNs[i])));
    }
    report.add(QStringLiteral("answer time against pause made, worst error"), nsToMs(error.max()), QStringLiteral("ms"),
               3, 5);

    const QString picture = textOption(arguments, QStringLiteral("--picture"), {});
    if (!picture.isEmpty()) {
        traffic->resize(1000, 520);
        traffic->table().scrollTo(model.index(std::max(firstData - 1, 0), 0), QAbstractItemView::PositionAtTop);
        report.check(QStringLiteral("picture saved"), traffic->grab().save(picture), picture);
    }
}

} // namespace Sernix::Bench
