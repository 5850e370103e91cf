// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QSerialPort>
#include <QString>

namespace MSCommLib {

// Adds XON/XOFF flow control in both directions on top of whatever flow
// control the port already has. QSerialPort offers hardware or software flow
// control but not both at once, which is what RTS/XON-XOFF handshaking needs.
// Returns the system's reason on failure, an empty string on success.
QString addSoftwareFlowControl(QSerialPort &port);

} // namespace MSCommLib
