// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "timeaxis.h"

#include "lanelayout.h"
#include "readout.h"

#include "record/clock.h"

#include <QPainter>

#include <array>

namespace Sernix::History {

namespace {

constexpr qint64 Ms = 1000;
constexpr qint64 Second = 1000 * Ms;
constexpr qint64 Minute = 60 * Second;
constexpr qint64 Hour = 60 * Minute;

// Round steps of a clock face, smallest first.
constexpr std::array<qint64, 24> Steps{
    Ms,         2 * Ms,     5 * Ms,      10 * Ms,     20 * Ms,     50 * Ms,     100 * Ms,    200 * Ms,
    500 * Ms,   Second,     2 * Second,  5 * Second,  10 * Second, 15 * Second, 30 * Second, Minute,
    2 * Minute, 5 * Minute, 10 * Minute, 15 * Minute, 30 * Minute, Hour,        3 * Hour,    6 * Hour,
};

} // namespace

TimeAxis::TimeAxis(const Record::Clock &clock, const TimeScale &scale, QWidget *parent)
    : QWidget(parent)
    , m_clock(clock)
    , m_scale(scale)
{
    setObjectName(QStringLiteral("HistoryAxis"));
}

qint64 TimeAxis::tickStep(double microsecondsPerPixel, int minPixels)
{
    for (const qint64 step : Steps) {
        if (double(step) / microsecondsPerPixel >= minPixels)
            return step;
    }
    return 24 * Hour;
}

QSize TimeAxis::sizeHint() const
{
    return {400, fontMetrics().height() + 10};
}

void TimeAxis::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QString offset = ReadOut::utcOffsetText(ReadOut::localTime(m_clock, m_scale.start()));
    painter.drawText(QRect(4, 0, LaneLayout::LabelWidth - 6, height()), Qt::AlignVCenter | Qt::AlignLeft, offset);

    const qint64 step =
        tickStep(m_scale.microsecondsPerPixel(), fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    const QString format = step < Second ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss");
    // Ticks fall on round local times: count from local midnight's epoch.
    const qint64 localOffset = qint64(ReadOut::localTime(m_clock, m_scale.start()).offsetFromUtc()) * Second;
    const qint64 epochStart = m_clock.startMsecsSinceEpoch() * Ms;
    const qint64 localFirst = epochStart + m_scale.start() + localOffset;
    qint64 tick = (localFirst / step + 1) * step - epochStart - localOffset;
    painter.setClipRect(QRect(LaneLayout::LabelWidth, 0, m_scale.width(), height()));
    for (; tick < m_scale.end(); tick += step) {
        const int x = LaneLayout::LabelWidth + int(m_scale.x(tick));
        painter.drawLine(x, height() - 5, x, height());
        painter.drawText(x + 3, height() - 6, ReadOut::localTime(m_clock, tick).toString(format));
    }
    painter.drawLine(LaneLayout::LabelWidth, height() - 1, width(), height() - 1);
}

} // namespace Sernix::History
