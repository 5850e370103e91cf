// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "channelswitch.h"

#include "connectorstatus.h"

#include "controls/enablebox.h"
#include "controls/messages.h"
#include "serial/mscomm.h"

namespace Sernix::Channel::ChannelSwitch {

using namespace Sernix::Controls;

void click(const ChannelControls &channel, QWidget *window)
{
    if (channel.enableBox->Value() == EnableBox::Ticked) {
        if (channel.serialControl->isRemote())
            ConnectorStatus::showConnecting(channel);
        try {
            channel.serialControl->setPortOpen(true);
            return;
        } catch (const MSCommLib::CommError &) {
            // Nothing is lost: the control has said why on stderr and keeps
            // the reason for the box's tooltip; the user gets the message.
        }
        showMessage(window, PortNotFound);
        // Clearing the box runs this handler again, down the branch below.
        channel.enableBox->setValue(EnableBox::Clear);
        return;
    }
    try {
        channel.serialControl->setPortOpen(false);
    } catch (const MSCommLib::CommError &) {
        // Closing a port that never opened, or has gone away, is no news.
    }
}

} // namespace Sernix::Channel::ChannelSwitch
