// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "timescale.h"

#include <algorithm>

namespace Sernix::History {

void TimeScale::setBounds(qint64 earliest, qint64 latest)
{
    m_earliest = earliest;
    m_latest = std::max(earliest, latest);
    clamp();
}

void TimeScale::setWidth(int pixels)
{
    m_width = std::max(1, pixels);
    clamp();
}

void TimeScale::setRange(qint64 from, qint64 to)
{
    m_start = from;
    m_microsecondsPerPixel = double(std::max<qint64>(1, to - from)) / m_width;
    clamp();
}

void TimeScale::zoom(double factor, double anchorX)
{
    const qint64 anchor = timeAt(anchorX);
    m_microsecondsPerPixel /= factor;
    clamp();
    m_start = anchor - qint64(anchorX * m_microsecondsPerPixel);
    clamp();
}

void TimeScale::pan(double pixels)
{
    m_start += qint64(pixels * m_microsecondsPerPixel);
    clamp();
}

void TimeScale::showUntil(qint64 time)
{
    m_start = time - qint64(m_width * m_microsecondsPerPixel);
    clamp();
}

void TimeScale::clamp()
{
    // Zoomed out no further than the whole record (or MinSpan), in no further
    // than MinMicrosecondsPerPixel; never wholly before the record or after now.
    const double widest = double(std::max(MinSpan, m_latest - m_earliest)) / m_width;
    m_microsecondsPerPixel = std::clamp(m_microsecondsPerPixel, MinMicrosecondsPerPixel, widest);
    const qint64 span = qint64(m_width * m_microsecondsPerPixel);
    m_start = std::clamp(m_start, m_earliest - span / 2, std::max(m_earliest, m_latest - span / 2));
}

} // namespace Sernix::History
