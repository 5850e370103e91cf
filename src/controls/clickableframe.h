// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QFrame>

namespace Sernix::Controls {

// A frame that reports clicks on its free area; clicks on children that take
// the mouse never get here.
class ClickableFrame : public QFrame
{
    Q_OBJECT
public:
    using QFrame::QFrame;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace Sernix::Controls
