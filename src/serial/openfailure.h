// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

namespace MSCommLib {

// The name of the group whose members may read and write the device, when
// group permissions are what grant access to it; empty otherwise.
QString groupGrantingAccess(const QString &devicePath);

// True when this process may not read and write the device for want of permission.
bool lacksPermission(const QString &devicePath);

// "cannot open DEVICE: REASON", with a hint naming the group that grants
// access when permission is what stands in the way.
QString describeOpenFailure(const QString &devicePath, const QString &reason);

} // namespace MSCommLib
