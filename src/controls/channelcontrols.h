#pragma once

#include "channelmap.h"

#include <array>

class EnableBox;
class LineButton;
class PinTextBox;
class QComboBox;
class QGroupBox;
class QLabel;
class ShapeIndicator;
namespace MSCommLib {
class MSComm;
}

// The controls of one channel, as the window builder made them from the
// channel map, so that a single piece of logic can serve any channel.
struct ChannelControls
{
    const ChannelEntry *entry = nullptr;
    EnableBox *enableBox = nullptr;
    MSCommLib::MSComm *serialControl = nullptr;
    QGroupBox *connectorPanel = nullptr;
    QLabel *captionLabel = nullptr;
    // In the connector panel: whether the port's device is there.
    QLabel *deviceState = nullptr;
    std::array<PinTextBox *, PinCount> pinText{};       // by pinIndex()
    std::array<ShapeIndicator *, PinCount> indicator{}; // by pinIndex()
    LineButton *dtrButton = nullptr;
    LineButton *rtsButton = nullptr;
    std::array<QComboBox *, SettingRoleCount> settingList{}; // index SettingRole

    PinTextBox *pin(Pin pin) const { return pinText.at(pinIndex(pin)); }
    ShapeIndicator *pinIndicator(Pin pin) const { return indicator.at(pinIndex(pin)); }
    QComboBox *list(SettingRole role) const { return settingList.at(std::size_t(role)); }
};
