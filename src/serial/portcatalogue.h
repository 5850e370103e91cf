// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace MSCommLib {

// A serial port the system knows of, with what it can tell about the device.
struct PortDescription
{
    QString path;       // the device node, e.g. /dev/ttyUSB0; on Windows the port's name, e.g. COM3
    QString stablePath; // its name under /dev/serial/by-id, which survives a replug; may be empty
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;

    // The path a binding should keep: the stable one where there is one.
    QString bindingPath() const { return stablePath.isEmpty() ? path : stablePath; }
    // "0403:6001", or empty when the system does not know.
    QString usbId() const;
    // What tells this adapter from another at the same path: its serial
    // number, else its USB id; empty when the system tells neither.
    QString identity() const;
};

// What the system knows of its serial ports. The program asks only through
// here, so that tests can put in ports of their own.
struct PortCatalogue
{
    // The ports found now. The system's asks Qt, which looks at every serial
    // device of the machine (and opens built-in UARTs to probe them), so it
    // is asked only when the user wants a list.
    std::function<QList<PortDescription>()> listPorts;
    // What the system knows now of the device behind a path (a device node,
    // or a link to one such as a /dev/serial/by-id name). The system's reads
    // sysfs and touches no device; left empty, the path is looked up in
    // listPorts().
    using Describe = std::function<std::optional<PortDescription>(const QString &path)>;
    Describe describeAt;
};

// Replaces the system's catalogue; an empty one puts the system's back.
void setPortCatalogue(PortCatalogue catalogue);

// Whether two names lead to the same port: the same device node, or on
// Windows the same port name however written (com3, COM3, \\.\COM3).
bool samePort(const QString &a, const QString &b);

QList<PortDescription> availablePorts();
std::optional<PortDescription> describePort(const QString &path);
QString identityAt(const QString &path);

} // namespace MSCommLib
