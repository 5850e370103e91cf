// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "portcatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

namespace MSCommLib {

namespace {

// Device node -> its stable name, from the links udev keeps under /dev/serial/by-id.
QHash<QString, QString> stableNames()
{
    QHash<QString, QString> names;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        names.insert(link.canonicalFilePath(), link.absoluteFilePath());
    return names;
}

QList<PortDescription> systemPorts()
{
    const QHash<QString, QString> stable = stableNames();
    QList<PortDescription> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        PortDescription port;
#ifdef Q_OS_WIN
        port.path = info.portName(); // its system location is \\.\COM3
#else
        port.path = info.systemLocation();
#endif
        port.stablePath = stable.value(QFileInfo(port.path).canonicalFilePath());
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier())
            port.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            port.productId = info.productIdentifier();
        ports << port;
    }
    return ports;
}

#ifdef Q_OS_WIN
// Windows has no sysfs: what it knows of a port comes with the list.
PortCatalogue::Describe systemDescriptionAt = nullptr;
#else
QString readAttribute(const QDir &directory, const char *name)
{
    QFile file(directory.filePath(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

// The USB device above a tty in sysfs carries what udev reports of the
// adapter; a tty with no USB device above it tells nothing more.
std::optional<PortDescription> systemDescriptionAt(const QString &path)
{
    const QString node = QFileInfo(path).canonicalFilePath();
    QDir device(
        QFileInfo(QStringLiteral("/sys/class/tty/%1/device").arg(QFileInfo(node).fileName())).canonicalFilePath());
    if (node.isEmpty() || device.path().isEmpty())
        return std::nullopt;
    PortDescription port;
    port.path = node;
    port.stablePath = stableNames().value(node);
    do {
        if (device.exists(QStringLiteral("idVendor"))) {
            port.description = readAttribute(device, "product");
            port.manufacturer = readAttribute(device, "manufacturer");
            port.serialNumber = readAttribute(device, "serial");
            port.vendorId = readAttribute(device, "idVendor").toUShort(nullptr, 16);
            port.productId = readAttribute(device, "idProduct").toUShort(nullptr, 16);
            break;
        }
    } while (device.cdUp() && !device.isRoot());
    return port;
}
#endif

PortCatalogue &catalogue()
{
    static PortCatalogue current{systemPorts, systemDescriptionAt};
    return current;
}

} // namespace

QString PortDescription::usbId() const
{
    if (!vendorId || !productId)
        return {};
    return QStringLiteral("%1:%2").arg(*vendorId, 4, 16, QLatin1Char('0')).arg(*productId, 4, 16, QLatin1Char('0'));
}

QString PortDescription::identity() const
{
    return serialNumber.isEmpty() ? usbId() : serialNumber;
}

void setPortCatalogue(PortCatalogue replacement)
{
    if (!replacement.listPorts)
        replacement = {systemPorts, systemDescriptionAt};
    catalogue() = std::move(replacement);
}

QList<PortDescription> availablePorts()
{
    return catalogue().listPorts();
}

bool samePort(const QString &a, const QString &b)
{
    if (a == b)
        return true;
#ifdef Q_OS_WIN
    const auto portName = [](const QString &name) {
        return name.startsWith(QLatin1String("\\\\.\\")) ? name.mid(4) : name;
    };
    return portName(a).compare(portName(b), Qt::CaseInsensitive) == 0;
#else
    const QString node = QFileInfo(a).canonicalFilePath();
    return !node.isEmpty() && node == QFileInfo(b).canonicalFilePath();
#endif
}

std::optional<PortDescription> describePort(const QString &path)
{
    if (catalogue().describeAt)
        return catalogue().describeAt(path);
    for (const PortDescription &port : availablePorts()) {
        if (samePort(port.path, path))
            return port;
    }
    return std::nullopt;
}

QString identityAt(const QString &path)
{
    const std::optional<PortDescription> port = describePort(path);
    return port ? port->identity() : QString();
}

} // namespace MSCommLib
