// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

namespace Sernix::Controls {

// Makes Qt describe the window's own kinds of control to assistive
// technology through their own interfaces (line buttons as toggles, named
// lists by their names); done once however often called.
void installAccessibleFactory();

} // namespace Sernix::Controls
