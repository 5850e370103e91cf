// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "settinglists.h"

#include "controls/enablebox.h"
#include "controls/messages.h"
#include "serial/mscomm.h"

#include <QComboBox>

#include <vector>

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

// A channel's lists written to its serial control: sent, then finished.
// Settings and handshaking are both tried even when the first fails.
class ListsWrite
{
public:
    explicit ListsWrite(const ChannelControls &channel)
    {
        attempt([&] { m_sent.push_back(channel.serialControl->sendSettings(settingsText(channel))); });
        attempt([&] {
            const auto mode = handshakingNumber(channel.list(SettingRole::Handshaking)->currentText());
            if (!mode)
                throw MSCommLib::CommError(QStringLiteral("handshaking is not a whole number"));
            m_sent.push_back(channel.serialControl->sendHandshaking(*mode));
        });
    }

    // Waits for the port's word on what was sent; whether all was taken.
    bool finish()
    {
        for (MSCommLib::PendingChange &change : m_sent)
            attempt([&] { change.finish(); });
        return !m_failed;
    }

private:
    template <typename Step>
    void attempt(const Step &step)
    {
        try {
            step();
        } catch (const MSCommLib::CommError &) {
            m_failed = true;
        }
    }

    std::vector<MSCommLib::PendingChange> m_sent;
    bool m_failed = false;
};

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
    // Every channel's change goes out before any answer is awaited, so that
    // remote ports answer together: a pick waits once, not once a channel.
    std::vector<ListsWrite> writes;
    for (const ChannelControls &channel : channels) {
        if (channel.enableBox->Value() == EnableBox::Ticked)
            writes.emplace_back(channel);
    }
    for (ListsWrite &write : writes) {
        if (!write.finish())
            showMessage(window, Unacceptable);
    }
}

} // namespace Sernix::Channel::SettingLists
