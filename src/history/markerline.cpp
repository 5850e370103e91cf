// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "markerline.h"

#include "lanelayout.h"
#include "lanepainter.h"

#include <QPainter>

namespace Sernix::History {

MarkerLine::MarkerLine(Marker marker, QWidget *lanes)
    : QWidget(lanes)
    , m_marker(marker)
{
    setObjectName(QStringLiteral("Marker") + markerName(marker));
    setAccessibleName(QStringLiteral("Marker ") + markerName(marker));
    setAccessibleDescription(QStringLiteral("not set"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void MarkerLine::place(std::optional<int> x)
{
    if (!x) {
        hide();
        return;
    }
    setGeometry(*x - Width / 2, 0, Width, LaneLayout::Height);
    show();
}

void MarkerLine::paintEvent(QPaintEvent *)
{
    const QColor colour = QColor::fromRgb(m_marker == Marker::A ? LaneColours::MarkerA : LaneColours::MarkerB);
    QPainter painter(this);
    painter.fillRect(QRect(Width / 2, 0, 1, height()), colour);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    for (int channel = 1; channel <= Record::ChannelCount; ++channel) {
        const QRect tag(0, LaneLayout::channelTop(channel) + 2, Width, LaneLayout::HeaderHeight - 4);
        painter.fillRect(tag, colour);
        painter.setPen(Qt::white);
        painter.drawText(tag, Qt::AlignCenter, markerName(m_marker));
    }
}

} // namespace Sernix::History
