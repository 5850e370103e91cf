// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "shapeindicator.h"

#include <QPainter>

namespace Sernix::Controls {

ShapeIndicator::ShapeIndicator(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeIndicator::setBackColor(OleColor color)
{
    if (m_backColor == color)
        return;
    m_backColor = color;
    update();
}

void ShapeIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(resolveOleColor(OleColors::WindowText, palette()), 1));
    painter.setBrush(resolveOleColor(m_backColor, palette()));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace Sernix::Controls
