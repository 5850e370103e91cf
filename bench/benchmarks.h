// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "harness.h"

#include <QStringList>

// Each benchmark fills its report; a failed check in it fails the run.
// Arguments are what followed the benchmark's name on the command line.
namespace Benchmarks {

void pollCycle(Bench::Report &report, const QStringList &arguments);
void losslessReceive(Bench::Report &report, const QStringList &arguments);
void remoteReceive(Bench::Report &report, const QStringList &arguments);
void idleCost(Bench::Report &report, const QStringList &arguments);
void startUp(Bench::Report &report, const QStringList &arguments);
void soak(Bench::Report &report, const QStringList &arguments);
void unplug(Bench::Report &report, const QStringList &arguments);
void resume(Bench::Report &report, const QStringList &arguments);

// The process the start-up benchmark starts and times: it goes as far as the
// program's first event-loop turn with the window shown, then reports.
int startUpProbe(int argc, char **argv);

// Reads "--name value" from the arguments, or gives the fallback.
qint64 option(const QStringList &arguments, const QString &name, qint64 fallback);
QString textOption(const QStringList &arguments, const QString &name, const QString &fallback);

} // namespace Benchmarks
