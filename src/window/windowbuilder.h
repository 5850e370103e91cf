// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

#include <array>

class QWidget;

namespace Sernix::Controls {
class ClickableFrame;
class ClickableImage;
class MultiLineTextBox;
} // namespace Sernix::Controls

namespace Sernix::Window {

// The About panel and the pieces of it that the window's handlers use.
struct AboutPanelControls
{
    Controls::ClickableFrame *panel = nullptr;       // Frame4
    Controls::MultiLineTextBox *aboutText = nullptr; // Text38
    Controls::MultiLineTextBox *termsText = nullptr; // Text39
    Controls::ClickableImage *picture = nullptr;     // Image2
};

struct WindowControls
{
    // By ChannelEntry::arrayIndex(). The serial controls are the window's to fill in.
    std::array<Controls::ChannelControls, Controls::ChannelCount> channels;
    AboutPanelControls about;
};

// Creates every control of the window design on the client area, each with
// its design name as objectName (for tests and accessibility), at its designed
// place and with its initial properties, and hands back what the window's
// logic works with.
WindowControls buildWindowControls(QWidget *clientArea);

} // namespace Sernix::Window
