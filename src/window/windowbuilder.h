// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

#include <array>

class ClickableFrame;
class ClickableImage;
class MultiLineTextBox;
class QWidget;

// The About panel and the pieces of it that the window's handlers use.
struct AboutPanelControls
{
    ClickableFrame *panel = nullptr;       // Frame4
    MultiLineTextBox *aboutText = nullptr; // Text38
    MultiLineTextBox *termsText = nullptr; // Text39
    ClickableImage *picture = nullptr;     // Image2
};

struct WindowControls
{
    // By ChannelEntry::arrayIndex(). The serial controls are the window's to fill in.
    std::array<ChannelControls, ChannelCount> channels;
    AboutPanelControls about;
};

// Creates every control of the window design on the client area, each with
// its design name as objectName (for tests and accessibility), at its designed
// place and with its initial properties, and hands back what the window's
// logic works with.
WindowControls buildWindowControls(QWidget *clientArea);
