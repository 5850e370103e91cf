// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "clickableframe.h"
#include "releasedinside.h"

#include <QMouseEvent>

namespace Sernix::Controls {

void ClickableFrame::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ClickableFrame::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (releasedInside(this, event))
        Q_EMIT clicked();
}

} // namespace Sernix::Controls
