// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "olecolor.h"

#include <QPushButton>

namespace Sernix::Controls {

// A push button that shows its back colour on every style: it paints its own
// face and bevel instead of trusting the style to honour the palette.
class LineButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ BackColor WRITE setBackColor)
public:
    explicit LineButton(QWidget *parent = nullptr);

    OleColor BackColor() const { return m_backColor; }
    void setBackColor(OleColor color);
    // Its line is on while the button shows any colour but the button face.
    bool isLineOn() const { return m_backColor != OleColors::ButtonFace; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    OleColor m_backColor = OleColors::ButtonFace;
};

} // namespace Sernix::Controls
