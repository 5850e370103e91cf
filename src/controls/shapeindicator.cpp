// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "shapeindicator.h"

#include <QPainter>

namespace Sernix::Controls {

ShapeIndicator::ShapeIndicator(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    describe();
}

void ShapeIndicator::setLitMeaning(const QString &meaning)
{
    m_litMeaning = meaning;
    describe();
}

void ShapeIndicator::describe()
{
    // Setting the description raises the event a listening screen reader
    // hears, so only a change sets it.
    const QString description = m_backColor == OleColors::WindowBackground ? QStringLiteral("idle") : m_litMeaning;
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
}

void ShapeIndicator::setBackColor(OleColor color)
{
    if (m_backColor == color)
        return;
    m_backColor = color;
    update();
    describe();
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
