// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "olecolor.h"

#include <QWidget>

namespace Sernix::Controls {

// A connector pin: a circle filled with its back colour.
class ShapeIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ BackColor WRITE setBackColor)
public:
    explicit ShapeIndicator(QWidget *parent = nullptr);

    OleColor BackColor() const { return m_backColor; }
    void setBackColor(OleColor color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    OleColor m_backColor = OleColors::WindowBackground;
};

} // namespace Sernix::Controls
