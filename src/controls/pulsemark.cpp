// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "pulsemark.h"

#include <QPainter>

namespace Sernix::Controls {

PulseMark::PulseMark(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void PulseMark::setVisible(bool visible)
{
    QWidget::setVisible(visible);
    const QString description = visible ? QStringLiteral("pulse") : QString();
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
}

void PulseMark::paintEvent(QPaintEvent *)
{
    constexpr qreal RingWidth = 2.5;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Amber: neither an input's green nor an output's red.
    painter.setPen(QPen(QColor(0xff, 0x8c, 0x00), RingWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = RingWidth / 2;
    painter.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

} // namespace Sernix::Controls
