// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "devicebindings.h"

#include "serial/diagnostics.h"

#include <QSettings>

#include <algorithm>
#include <bit>

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
const QString LinkKey = QStringLiteral("view/link");

void keep(QSettings &settings, const QString &what)
{
    settings.sync();
    if (settings.status() != QSettings::NoError)
        MSCommLib::reportLine(QStringLiteral("cannot keep %1 in %2").arg(what, settings.fileName()));
}

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
    keep(settings, QStringLiteral("the device of Com%1").arg(channel));
}

quint8 loadLink()
{
    const QSettings settings(Organization, Application);
    if (!settings.contains(LinkKey))
        return 0;
    quint8 link = 0;
    const QStringList channels = settings.value(LinkKey).toStringList();
    for (const QString &text : channels) {
        const int channel = text.toInt();
        if (channel >= 1 && channel <= ChannelCount)
            link |= quint8(1u << (channel - 1));
    }
    if (channels.size() == 2 && std::popcount(link) == 2)
        return link;
    MSCommLib::reportLine(QStringLiteral("ignoring %1 in %2: not two channels").arg(LinkKey, settings.fileName()));
    return 0;
}

void storeLink(quint8 link)
{
    QSettings settings(Organization, Application);
    QStringList channels;
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        if ((link >> (channel - 1)) & 1u)
            channels << QString::number(channel);
    }
    if (channels.size() == 2)
        settings.setValue(LinkKey, channels);
    else
        settings.remove(LinkKey);
    keep(settings, QStringLiteral("the traffic view's link"));
}

} // namespace Sernix::Window::DeviceBindings
