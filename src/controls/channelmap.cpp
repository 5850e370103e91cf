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

namespace SpokenName {

QString channel(const ChannelEntry &channel)
{
    return QStringLiteral("COM%1").arg(channel.number);
}
QString pinText(const ChannelEntry &channel, Pin pin)
{
    return QStringLiteral("%1 pin %2 %3")
        .arg(SpokenName::channel(channel))
        .arg(pinNumber(pin))
        .arg(QLatin1String(pinSignal(pin)));
}
QString indicator(const ChannelEntry &channel, Pin pin)
{
    return pinText(channel, pin) + QLatin1String(" indicator");
}
QString pulseMark(const ChannelEntry &channel, Pin pin)
{
    return pinText(channel, pin) + QLatin1String(" pulse");
}
QString lineButton(const ChannelEntry &channel, Pin pin)
{
    return SpokenName::channel(channel) + QLatin1Char(' ') + QLatin1String(pinSignal(pin));
}
QString settingWords(SettingRole role)
{
    static constexpr std::array<const char *, SettingRoleCount> Words{"speed", "parity", "data bits", "stop bits",
                                                                      "handshaking"};
    return QLatin1String(Words.at(std::size_t(role)));
}
QString settingList(const ChannelEntry &channel, SettingRole role)
{
    return SpokenName::channel(channel) + QLatin1Char(' ') + settingWords(role);
}
QString legend(const ChannelEntry &channel, const QString &what)
{
    return QStringLiteral("%1 %2 legend").arg(SpokenName::channel(channel), what);
}

} // namespace SpokenName

} // namespace Sernix::Controls
