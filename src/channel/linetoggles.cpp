// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "linetoggles.h"

#include "controls/enablebox.h"
#include "controls/linebutton.h"
#include "serial/mscomm.h"

namespace Sernix::Channel::LineToggles {

using namespace Sernix::Controls;

void click(const ChannelControls &channel, Line line)
{
    if (channel.enableBox->Value() != EnableBox::Ticked)
        return;
    LineButton *button = line == Line::Dtr ? channel.dtrButton : channel.rtsButton;
    const bool switchOn = button->BackColor() == OleColors::ButtonFace;
    button->setBackColor(switchOn ? OleColors::Red : OleColors::ButtonFace);
    try {
        if (line == Line::Dtr)
            channel.serialControl->setDTREnable(switchOn);
        else
            channel.serialControl->setRTSEnable(switchOn);
    } catch (const MSCommLib::CommError &) {
        // The device went away or has no modem lines. The button keeps the
        // state the user chose; the next tick shows what the port holds.
    }
}

} // namespace Sernix::Channel::LineToggles
