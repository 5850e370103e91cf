// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

// The fixed texts of the title line and the About panel.
namespace Sernix::Window::AboutTexts {

inline constexpr char ProgramTitle[] = "Sernix v.1.1";
inline constexpr char TitleText[] = "Draventa       Sernix v.1.1              Date:";
inline constexpr char WebSite[] = "www.draventa.example";

// Lines joined by CR LF, with no break before the first or after the last.
QString joinLines(const QStringList &lines);

QString aboutText(); // Text38
QString termsText(); // Text39

} // namespace Sernix::Window::AboutTexts
