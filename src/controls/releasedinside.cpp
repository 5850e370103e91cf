// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "releasedinside.h"

#include <QMouseEvent>
#include <QWidget>

namespace Sernix::Controls {

bool releasedInside(const QWidget *widget, const QMouseEvent *event)
{
    return event->button() == Qt::LeftButton && widget->rect().contains(event->position().toPoint());
}

} // namespace Sernix::Controls
