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

} // namespace Sernix::Window
