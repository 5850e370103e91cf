// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "harness.h"

#include <QStringList>

// Each benchmark fills its report; a failed check in it fails the run.
// Arguments are what followed the benchmark's name on the command line.
namespace Sernix::Bench {

void pollCycle(Report &report, const QStringList &arguments);
void losslessReceive(Report &report, const QStringList &arguments);
// The lossless receive with both record files written; the CSV read back.
void recordedReceive(Report &report, const QStringList &arguments);
void remoteReceive(Report &report, const QStringList &arguments);
void idleCost(Report &report, const QStringList &arguments);
void startUp(Report &report, const QStringList &arguments);
void soak(Report &report, const QStringList &arguments);
void unplug(Report &report, const QStringList &arguments);
void resume(Report &report, const QStringList &arguments);
void historyRepaint(Report &report, const QStringList &arguments);
void trafficView(Report &report, const QStringList &arguments);
// One remote channel against a server that floods it, each way in turn.
void hostileFlood(Report &report, const QStringList &arguments);
// Modem-line edges as the record times them, where a watcher waits on them.
void lineEdges(Report &report, const QStringList &arguments);
// Two ports watched as the sides of one link: answer times against pauses made.
void conversation(Report &report, const QStringList &arguments);

// The process the start-up benchmark starts and times: it goes as far as the
// program's first event-loop turn with the window shown, then reports.
int startUpProbe(int argc, char **argv);

} // namespace Sernix::Bench
