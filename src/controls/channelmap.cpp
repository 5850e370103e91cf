// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "channelmap.h"

namespace Sernix::Controls {

namespace ControlName {

QString indexed(const char *array, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

QString numbered(const char *kind, int number)
{
    return QLatin1String(kind) + QString::number(number);
}

QString enableBox(const ChannelEntry &channel)
{
    return numbered("Check", channel.enableBox);
}
QString captionLabel(const ChannelEntry &channel)
{
    return numbered("Label", channel.captionLabel);
}
QString pinText(const ChannelEntry &channel, Pin pin)
{
    return numbered("Text", channel.firstPinText + pinNumber(pin) - 1);
}
QString dtrButton(const ChannelEntry &channel)
{
    return numbered("Command", channel.dtrButton);
}
QString rtsButton(const ChannelEntry &channel)
{
    return numbered("Command", channel.rtsButton);
}
QString connectorPanel(const ChannelEntry &channel)
{
    return indexed("Frame2", channel.arrayIndex());
}
QString settingPanel(const ChannelEntry &channel)
{
    return indexed("Frame3", channel.arrayIndex());
}

QString indicator(const ChannelEntry &channel, Pin pin)
{
    const QByteArray array = "Shape" + QByteArray::number(pinNumber(pin));
    return indexed(array.constData(), channel.arrayIndex());
}

QString settingList(const ChannelEntry &channel, SettingRole role)
{
    return indexed("Combo1", channel.settingList.at(std::size_t(role)));
}

} // namespace ControlName

} // namespace Sernix::Controls
