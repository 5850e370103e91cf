// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "devicebindings.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace Sernix::Window {

// What the command line asks of this run.
struct CommandLine
{
    DeviceBindings::DeviceNames devices;          // --comN DEVICE
    QList<int> channelsToOpen;                    // --open N
    QList<std::pair<int, QString>> transmitTexts; // --transmit N:TEXT
    QStringList recordFiles;                      // --record FILE: one .csv and one .vcd at most
    QString screenshotFile;                       // --screenshot FILE
    int screenshotAfterMs = 0;                    // --after MS
    bool showHelp = false;
    bool showVersion = false;
    bool listPorts = false;
    QString error; // non-empty: the arguments were not understood

    // Works before any application object exists, so that --help and
    // --version answer without a display.
    static CommandLine parse(const QStringList &arguments);
    static QString helpText();
};

} // namespace Sernix::Window
