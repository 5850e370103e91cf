// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace Sernix::Controls {

// Window geometry is designed in twips. At 15 twips to one logical pixel the
// window is drawn as designed at 96 dpi; Qt scales logical pixels on high-dpi
// screens.
inline constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips * 2 + (twips >= 0 ? TwipsPerPixel : -TwipsPerPixel)) / (2 * TwipsPerPixel);
}

struct TwipRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    QRect toPixels() const
    {
        return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
    }
};

} // namespace Sernix::Controls
