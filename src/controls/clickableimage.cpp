// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "clickableimage.h"
#include "releasedinside.h"

#include <QMouseEvent>

namespace Sernix::Controls {

void ClickableImage::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ClickableImage::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (releasedInside(this, event))
        Q_EMIT clicked();
}

} // namespace Sernix::Controls
