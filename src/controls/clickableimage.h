// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QLabel>

namespace Sernix::Controls {

// A picture that reports a click. Accepting the mouse also keeps the click
// from reaching the panel behind it.
class ClickableImage : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace Sernix::Controls
