// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

namespace MSCommLib {

// The program's diagnostics: one line each on stderr, "sernix: " first.
// Users started from a desktop menu never see them, so nothing the window
// needs to tell is said only here.
void reportLine(const QString &line);

} // namespace MSCommLib
