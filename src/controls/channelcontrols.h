#pragma once

#include "channelmap.h"

#include <array>

class EnableBox;
class LineButton;
class PinTextBox;
class QComboBox;
class QLabel;
class ShapeIndicator;
namespace MSCommLib {
class MSComm;
}

// The controls of one channel, resolved from the channel map once, so that a
// single piece of logic can serve any channel.
struct ChannelControls
{
    const ChannelEntry *entry = nullptr;
    EnableBox *enableBox = nullptr;
    MSCommLib::MSComm *serialControl = nullptr;
    QLabel *captionLabel = nullptr;
    std::array<PinTextBox *, PinCount> pinText{};       // by pinIndex()
    std::array<ShapeIndicator *, PinCount> indicator{}; // by pinIndex()
    LineButton *dtrButton = nullptr;
    LineButton *rtsButton = nullptr;
    std::array<QComboBox *, SettingRoleCount> settingList{}; // index SettingRole

    PinTextBox *pin(Pin pin) const { return pinText.at(pinIndex(pin)); }
    ShapeIndicator *pinIndicator(Pin pin) const { return indicator.at(pinIndex(pin)); }
    QComboBox *list(SettingRole role) const { return settingList.at(std::size_t(role)); }
};
