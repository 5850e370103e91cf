// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "linebutton.h"

#include <QAccessible>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

namespace Sernix::Controls {

LineButton::LineButton(QWidget *parent)
    : QPushButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void LineButton::setBackColor(OleColor color)
{
    if (m_backColor == color)
        return;
    const bool wasOn = isLineOn();
    m_backColor = color;
    update();
    if (wasOn != isLineOn() && QAccessible::isActive()) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void LineButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool sunken = isDown() || isChecked();
    qDrawShadePanel(&painter, rect(), palette(), sunken, 2, nullptr);
    painter.fillRect(rect().adjusted(2, 2, -2, -2), resolveOleColor(m_backColor, palette()));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace Sernix::Controls
