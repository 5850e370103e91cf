// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "serial/portcatalogue.h"

#include <QList>
#include <QString>

namespace Sernix::Window {

// The ports as --list-ports prints them: one line each, in columns of path,
// description, manufacturer, serial number and USB VID:PID, blank where the
// system does not know.
QString portList(const QList<MSCommLib::PortDescription> &ports);

// --list-ports: the ports found, on stdout, or on stderr that there are
// none; the exit status, 0 either way (finding none is an answer).
int listPorts();

} // namespace Sernix::Window
