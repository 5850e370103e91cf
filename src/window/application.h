// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

namespace Sernix::Window {

// Names the application for Qt: the program title that captions message
// boxes, the version, and the organisation.
void configureApplication();

} // namespace Sernix::Window
