// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

namespace Sernix::Controls {

// A colour as the window design writes it: &H00BBGGRR for a fixed colour,
// &H800000nn for system colour nn. Controls keep the raw value so that the
// logic can compare what it wrote; only painting resolves it.
using OleColor = quint32;

namespace OleColors {
inline constexpr OleColor Green = 0x0000C000;
inline constexpr OleColor Red = 0x000000FF;
inline constexpr OleColor Blue = 0x00FF0000;
inline constexpr OleColor PaleYellow = 0x00C0FFFF;
inline constexpr OleColor WindowBackground = 0x80000005;
inline constexpr OleColor WindowText = 0x80000008;
inline constexpr OleColor ActiveBorder = 0x8000000A;
inline constexpr OleColor ButtonFace = 0x8000000F;
} // namespace OleColors

// Resolves at paint time, so system colours follow the desktop theme.
QColor resolveOleColor(OleColor value, const QPalette &palette);

} // namespace Sernix::Controls
