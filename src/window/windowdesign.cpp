#include "windowdesign.h"

namespace WindowDesign {

QStringList tabOrder()
{
    QStringList order;
    for (const ChannelEntry &channel : ChannelMap)
        order << ControlName::enableBox(channel);
    for (const ChannelEntry &channel : ChannelMap) {
        for (int pin = 1; pin <= PinCount; ++pin)
            order << ControlName::pinText(channel, pin);
    }
    for (int button = 3; button <= 6; ++button)
        order << ControlName::numbered("Command", button);
    for (int list = 0; list <= 15; ++list)
        order << ControlName::indexed("Combo1", list);
    for (int button = 7; button <= 10; ++button)
        order << ControlName::numbered("Command", button);
    order << QStringLiteral("Text38") << QStringLiteral("Text39");
    for (int list = 16; list <= 19; ++list)
        order << ControlName::indexed("Combo1", list);
    return order;
}

} // namespace WindowDesign
