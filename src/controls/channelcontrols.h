// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "channelmap.h"

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
namespace MSCommLib {
class MSComm;
}

namespace Sernix::Controls {

class EnableBox;
class FittedLabel;
class LineButton;
class PinTextBox;
class PulseMark;
class ShapeIndicator;

// The controls of one channel, as the window builder made them from the
// channel map, so that a single piece of logic can serve any channel.
struct ChannelControls
{
    const ChannelEntry *entry = nullptr;
    EnableBox *enableBox = nullptr;
    MSCommLib::MSComm *serialControl = nullptr;
    QGroupBox *connectorPanel = nullptr;
    QLabel *captionLabel = nullptr;
    // In the connector panel: whether the port's device is there, the line
    // errors counted, and marks for pulses between two looks (input pins only).
    FittedLabel *deviceState = nullptr;
    FittedLabel *lineEvents = nullptr;
    std::array<PulseMark *, PinCount> pulseMarks{};     // by pinIndex()
    std::array<PinTextBox *, PinCount> pinText{};       // by pinIndex()
    std::array<ShapeIndicator *, PinCount> indicator{}; // by pinIndex()
    LineButton *dtrButton = nullptr;
    LineButton *rtsButton = nullptr;
    std::array<QComboBox *, SettingRoleCount> settingList{}; // index SettingRole

    PinTextBox *pin(Pin pin) const { return pinText.at(pinIndex(pin)); }
    ShapeIndicator *pinIndicator(Pin pin) const { return indicator.at(pinIndex(pin)); }
    PulseMark *pulseMark(Pin pin) const { return pulseMarks.at(pinIndex(pin)); }
    QComboBox *list(SettingRole role) const { return settingList.at(std::size_t(role)); }
};

} // namespace Sernix::Controls
