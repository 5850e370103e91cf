// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "olecolor.h"

#include <array>
#include <utility>

namespace Sernix::Controls {

namespace {

constexpr OleColor SystemColorFlag = 0x80000000;

// The system colours the window uses, and the palette role that plays the
// same part in a Qt theme. Active border is the classic light grey of
// dialog chrome, which is the window role in Qt.
constexpr std::array<std::pair<quint32, QPalette::ColorRole>, 4> SystemColorRoles{{
    {0x05, QPalette::Base},
    {0x08, QPalette::Text},
    {0x0A, QPalette::Window},
    {0x0F, QPalette::Button},
}};

} // namespace

QColor resolveOleColor(OleColor value, const QPalette &palette)
{
    if (value & SystemColorFlag) {
        const quint32 index = value & 0xFF;
        for (const auto &[systemIndex, role] : SystemColorRoles) {
            if (systemIndex == index)
                return palette.color(role);
        }
        return palette.color(QPalette::Window);
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace Sernix::Controls
