// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelmap.h"
#include "controls/pin.h"
#include "controls/twips.h"

#include <array>
#include <span>

// The window as designed: every fixed place, size and text, in twips. The
// window builder walks these tables; per-channel places come from the
// channel map.
namespace Sernix::Window::WindowDesign {

inline constexpr QSize ClientSize{10260, 8265};
inline constexpr int TimerInterval = 300;

inline constexpr Controls::TwipRect PortsFrame{225, 480, 1215, 1335};
inline constexpr Controls::TwipRect EnableBoxFirst{120, 240, 855, 255};
inline constexpr int EnableBoxPitch = 240;

inline constexpr Controls::TwipRect ColumnHeader{5880, 120, 2655, 255};

// Rows of the pin legend and the pin text box grid: pin p stands at
// FirstPinRowTop + PinRowPitch * (p - 1).
inline constexpr int FirstPinRowTop = 480;
inline constexpr int PinRowPitch = 360;
inline constexpr int pinRowTop(Controls::Pin pin)
{
    return FirstPinRowTop + PinRowPitch * (Controls::pinNumber(pin) - 1);
}

// By pinIndex().
struct LegendRow
{
    int label;
    int left;
    const char *text;
};
inline constexpr int LegendWidth = 3975;
inline constexpr int LegendHeight = 255;
inline constexpr std::array<LegendRow, Controls::PinCount> PinLegend{{
    {3, 1680, "1(8)-DCD-Input .Data Carrier Detected"},
    {4, 1680, "2(3)-RD-Input. Received data"},
    {5, 1680, "3(2)-TD- Output.Transmited Data"},
    {6, 1680, "4(20)-DTR-Output.Data Terminal Ready"},
    {7, 1680, "5(7)-GND-Ground"},
    {8, 1680, "6(6)-DSR-Input. Data Set Ready"},
    {9, 1665, "7(4)-RTS-Output.Request To Send "},
    {10, 1680, "8(5)-CTS-Input. Clear To Send "},
    {11, 1680, "9(22)-RI-Input.Ring Indicator"},
}};

inline constexpr QSize PinTextSize{495, 285};

inline constexpr QSize LineButtonSize{135, 285};
inline constexpr int LineButtonOffset = 150; // left of the pin text box column

// Connector panel (Frame2 element): indicators in two rows, like the pins of
// the 9-pin connector seen from the front.
inline constexpr QSize ConnectorPanelSize{3615, 2175};
inline constexpr int IndicatorSize = 375;
// By pinIndex(); one line per row of the connector.
// clang-format off
inline constexpr std::array<QPoint, Controls::PinCount> IndicatorPlace{{
    {600, 600}, {1080, 600}, {1560, 600}, {2040, 600}, {2520, 600},
    {840, 1080}, {1320, 1080}, {1800, 1080}, {2280, 1080},
}};
// clang-format on

// The pin-number labels: each number stands over (or under) the indicator of
// its pin. The blanks between them are computed for the font in use.
struct PinNumberRow
{
    const char *array;
    Controls::TwipRect geometry;
    Controls::Pin firstPin;
    Controls::Pin lastPin;
};
inline constexpr std::array<PinNumberRow, 2> PinNumberRows{{
    {"Label1", {720, 240, 2175, 255}, Controls::Pin::Dcd, Controls::Pin::Gnd},
    {"Label2", {840, 1560, 1815, 255}, Controls::Pin::Dsr, Controls::Pin::Ri},
}};

// Additions to the connector panel, in its free corners; they cover no
// control of the design. The device state stands right of the lower row of
// pins, the line errors left of it; a pulse mark rings its pin.
inline constexpr Controls::TwipRect DeviceStatePlace{2700, 1050, 900, 450};
inline constexpr Controls::TwipRect LineEventsPlace{45, 1050, 780, 450};
inline constexpr int PulseMarkMargin = 45;
inline constexpr int AdditionFontPoints = 7;

// Setting panel (Frame3 element).
inline constexpr QSize SettingPanelSize{1350, 1950};

struct SettingListDesign
{
    Controls::SettingRole role;
    Controls::TwipRect geometry;
    std::span<const char *const> items;
    const char *initialText;
};
inline constexpr const char *SpeedItems[] = {"110",  "300",   "600",   "1200",  "2400",  "4800",
                                             "9600", "14400", "19200", "38400", "57600", "115200"};
inline constexpr const char *ParityItems[] = {"n", "e", "o", "s", "m"};
inline constexpr const char *DataBitsItems[] = {"5", "6", "7", "8"};
inline constexpr const char *StopBitsItems[] = {"1", "2"};
inline constexpr const char *HandshakingItems[] = {"0", "1", "2", "3"};

inline constexpr std::array<SettingListDesign, Controls::SettingRoleCount> SettingLists{{
    {Controls::SettingRole::Speed, {330, 240, 945, 315}, SpeedItems, "9600"},
    {Controls::SettingRole::Parity, {750, 570, 525, 315}, ParityItems, "n"},
    {Controls::SettingRole::DataBits, {750, 870, 525, 315}, DataBitsItems, "8"},
    {Controls::SettingRole::StopBits, {750, 1170, 525, 315}, StopBitsItems, "1"},
    {Controls::SettingRole::Handshaking, {750, 1485, 525, 315}, HandshakingItems, "0"},
}};

// Legends of the setting lists. The first three are control arrays (one
// element per channel); the handshaking legend has its own label per channel.
struct SettingLegend
{
    const char *array; // nullptr: the channel's handshaking legend
    const char *text;
    Controls::TwipRect geometry;
    Controls::SettingRole role; // the list it stands by
};
inline constexpr std::array<SettingLegend, 4> SettingLegends{{
    {"Label17", "Od/Ev", {90, 600, 675, 255}, Controls::SettingRole::Parity},
    {"Label18", "bit", {210, 900, 585, 285}, Controls::SettingRole::DataBits},
    {"Label19", "stop", {210, 1200, 585, 225}, Controls::SettingRole::StopBits},
    {nullptr, "contrl.", {90, 1530, 645, 285}, Controls::SettingRole::Handshaking},
}};

// A few legends stand a few twips off the common place.
struct GeometryOverride
{
    const char *name;
    Controls::TwipRect geometry;
};
inline constexpr std::array<GeometryOverride, 5> LegendOverrides{{
    {"Label21", {90, 1530, 600, 240}},
    {"Label23", {45, 1485, 645, 285}},
    {"Label18(1)", {300, 900, 375, 285}},
    {"Label18(3)", {210, 900, 585, 240}},
    {"Label17(2)", {90, 585, 675, 255}},
}};

// About panel (Frame4) and its contents.
inline constexpr Controls::TwipRect AboutPanel{120, 0, 6735, 3975};
inline constexpr Controls::TwipRect AboutText{360, 240, 3975, 1695};
inline constexpr Controls::TwipRect TermsText{360, 2040, 6135, 1695};
inline constexpr Controls::TwipRect EmptyImage{720, 840, 15, 15};
inline constexpr Controls::TwipRect AboutPicture{4680, 240, 1680, 1200};

} // namespace Sernix::Window::WindowDesign
