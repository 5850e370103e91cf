// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "pin.h"
#include "twips.h"

#include "record/event.h"

#include <QString>

#include <array>

namespace Sernix::Controls {

// The per-channel map of the window: which controls belong to channel n and
// where its groups stand. Both the window builder and the channel logic read
// this one table; nothing else knows how channels differ.

// The channels COM1..COM4: one count for the window and the record, defined
// in the record, the lower layer.
using Record::ChannelCount;

enum class SettingRole { Speed, Parity, DataBits, StopBits, Handshaking };
inline constexpr int SettingRoleCount = 5;

struct ChannelEntry
{
    int number;                                    // 1..4, also the serial port COMn
    int enableBox;                                 // CheckN
    int captionLabel;                              // LabelN inside the connector panel
    int firstPinText;                              // TextN of pin 1; pin p is firstPinText + p - 1
    int dtrButton;                                 // CommandN
    int rtsButton;                                 // CommandN
    std::array<int, SettingRoleCount> settingList; // Combo1 index by SettingRole
    int handshakeLegend;                           // LabelN
    int pinColumnLeft;                             // twips, left of the channel's pin text box column
    QPoint connectorPanel;                         // twips, Frame2 element
    QPoint settingPanel;                           // twips, Frame3 element
    TwipRect captionGeometry;                      // twips, inside the connector panel

    int arrayIndex() const { return number - 1; }
};

inline constexpr std::array<ChannelEntry, ChannelCount> ChannelMap{{
    {1, 1, 13, 2, 3, 4, {0, 1, 2, 3, 16}, 21, 5880, {1470, 3720}, {90, 3720}, {180, 1800, 3195, 255}},
    {2, 2, 14, 11, 5, 6, {7, 6, 5, 4, 17}, 22, 6600, {5130, 3720}, {8775, 3720}, {180, 1830, 3180, 315}},
    {3, 3, 16, 20, 7, 8, {11, 10, 9, 8, 18}, 23, 7320, {1470, 5940}, {90, 5940}, {240, 1800, 3150, 345}},
    {4, 4, 15, 29, 9, 10, {15, 14, 13, 12, 19}, 24, 8040, {5130, 5940}, {8775, 5940}, {255, 1830, 3180, 315}},
}};

inline const ChannelEntry &channelEntry(int channel)
{
    return ChannelMap.at(std::size_t(channel - 1));
}

// Object names of the controls, as the logic and the tests address them.
namespace ControlName {
QString indexed(const char *array, int index);  // "Shape1(0)"
QString numbered(const char *kind, int number); // "Text2"
QString enableBox(const ChannelEntry &channel);
QString captionLabel(const ChannelEntry &channel);
QString pinText(const ChannelEntry &channel, Pin pin);
QString indicator(const ChannelEntry &channel, Pin pin);
QString dtrButton(const ChannelEntry &channel);
QString rtsButton(const ChannelEntry &channel);
QString settingList(const ChannelEntry &channel, SettingRole role);
QString connectorPanel(const ChannelEntry &channel);
QString settingPanel(const ChannelEntry &channel);
} // namespace ControlName

// Accessible names of the controls, unique in the window: what a screen
// reader says for a control, in the words of the window's own legends.
namespace SpokenName {
QString channel(const ChannelEntry &channel);                       // "COM1"
QString pinText(const ChannelEntry &channel, Pin pin);              // "COM1 pin 1 DCD"
QString indicator(const ChannelEntry &channel, Pin pin);            // "COM1 pin 1 DCD indicator"
QString pulseMark(const ChannelEntry &channel, Pin pin);            // "COM1 pin 1 DCD pulse"
QString lineButton(const ChannelEntry &channel, Pin pin);           // "COM1 DTR"
QString settingList(const ChannelEntry &channel, SettingRole role); // "COM1 speed"
QString legend(const ChannelEntry &channel, const QString &what);   // "COM1 data bits legend"
QString settingWords(SettingRole role);                             // "data bits"
} // namespace SpokenName

} // namespace Sernix::Controls
