// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "devicebindings.h"

#include "serial/diagnostics.h"

#include <QSettings>

#include <algorithm>

namespace Sernix::Window::DeviceBindings {

using namespace Sernix::Controls;

namespace {

QString keyOf(int channel)
{
    return QStringLiteral("ports/com%1").arg(channel);
}

// Named explicitly: the application's own name is "sernix", which would be another file.
const QString Organization = QStringLiteral("Draventa");
const QString Application = QStringLiteral("Sernix");

// A stored value as a device name; empty when it cannot be one: not text,
// blank, or bytes that were no text (decoded as replacement characters).
QString deviceName(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return {};
    const QString name = value.toString().trimmed();
    const bool printable = std::all_of(name.cbegin(), name.cend(),
                                       [](QChar c) { return c.isPrint() && c != QChar::ReplacementCharacter; });
    return printable ? name : QString();
}

} // namespace

DeviceNames load()
{
    DeviceNames devices;
    const QSettings settings(Organization, Application);
    if (settings.status() != QSettings::NoError) {
        MSCommLib::reportLine(QStringLiteral("ignoring %1: it cannot be read as settings").arg(settings.fileName()));
        return devices;
    }
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        if (!settings.contains(keyOf(channel)))
            continue;
        const QString device = deviceName(settings.value(keyOf(channel)));
        if (device.isEmpty()) {
            MSCommLib::reportLine(
                QStringLiteral("ignoring %1 in %2: not a device name").arg(keyOf(channel), settings.fileName()));
            continue;
        }
        devices.at(std::size_t(channel - 1)) = device;
    }
    return devices;
}

DeviceNames forStart(const DeviceNames &fromCommandLine)
{
    DeviceNames devices = load();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (!fromCommandLine.at(i).isEmpty())
            devices.at(i) = fromCommandLine.at(i);
    }
    return devices;
}

void store(int channel, const QString &deviceName)
{
    QSettings settings(Organization, Application);
    if (deviceName.isEmpty())
        settings.remove(keyOf(channel));
    else
        settings.setValue(keyOf(channel), deviceName);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        MSCommLib::reportLine(
            QStringLiteral("cannot keep the device of Com%1 in %2").arg(channel).arg(settings.fileName()));
}

} // namespace Sernix::Window::DeviceBindings
