// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

class QMouseEvent;
class QWidget;

namespace Sernix::Controls {

// Whether a mouse release completes a click on the widget: the left button,
// let go over it. The controls that report a click share this one rule.
bool releasedInside(const QWidget *widget, const QMouseEvent *event);

} // namespace Sernix::Controls
