// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QWidget>

namespace Sernix::Controls {

// A ring around a connector pin, shown for one tick when the pin's line went
// and came back between two looks: a pulse too short for the indicator.
class PulseMark : public QWidget
{
    Q_OBJECT
public:
    explicit PulseMark(QWidget *parent = nullptr);

    // Shown or hidden at every tick; its accessible description says
    // "pulse" while it is shown.
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace Sernix::Controls
