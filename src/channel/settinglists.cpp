// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "settinglists.h"

#include "controls/enablebox.h"
#include "controls/messages.h"
#include "serial/mscomm.h"

#include <QComboBox>

namespace Sernix::Channel::SettingLists {

using namespace Sernix::Controls;

namespace {

QString settingsText(const ChannelControls &channel)
{
    // Taken as typed: the serial control alone judges what it accepts.
    return QStringList{
        channel.list(SettingRole::Speed)->currentText(), channel.list(SettingRole::Parity)->currentText(),
        channel.list(SettingRole::DataBits)->currentText(), channel.list(SettingRole::StopBits)->currentText()}
        .join(QLatin1Char(','));
}

// Writes settings and handshaking; both are tried even when the first fails.
bool applyTo(const ChannelControls &channel)
{
    bool failed = false;
    try {
        channel.serialControl->setSettings(settingsText(channel));
    } catch (const MSCommLib::CommError &) {
        failed = true;
    }
    try {
        const auto mode = handshakingNumber(channel.list(SettingRole::Handshaking)->currentText());
        if (!mode)
            throw MSCommLib::CommError(QStringLiteral("handshaking is not a whole number"));
        channel.serialControl->setHandshaking(*mode);
    } catch (const MSCommLib::CommError &) {
        failed = true;
    }
    return !failed;
}

} // namespace

std::optional<int> handshakingNumber(const QString &text)
{
    // QString::toInt stops reading at a NUL and takes what came before it,
    // so "1\0junk" would pass for 1; no whole number holds a NUL.
    if (text.contains(QChar::Null))
        return std::nullopt;
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

void apply(std::span<const ChannelControls> channels, QWidget *window)
{
    for (const ChannelControls &channel : channels) {
        if (channel.enableBox->Value() != EnableBox::Ticked)
            continue;
        if (!applyTo(channel))
            showMessage(window, Unacceptable);
    }
}

} // namespace Sernix::Channel::SettingLists
