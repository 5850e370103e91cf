// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QtGlobal>

namespace Sernix::History {

// Which stretch of record time the lanes show, and where a time lies on
// them: x 0 is the left edge of the drawn time line, width() its pixels.
class TimeScale
{
public:
    static constexpr double MinMicrosecondsPerPixel = 10;
    static constexpr qint64 MinSpan = 10'000'000; // the widest view shows at least 10 s

    qint64 start() const { return m_start; }
    qint64 end() const { return m_start + qint64(m_width * m_microsecondsPerPixel); }
    double microsecondsPerPixel() const { return m_microsecondsPerPixel; }
    int width() const { return m_width; }

    double x(qint64 time) const { return double(time - m_start) / m_microsecondsPerPixel; }
    qint64 timeAt(double x) const { return m_start + qint64(x * m_microsecondsPerPixel); }

    // The times the view may show: the record's first and the present.
    void setBounds(qint64 earliest, qint64 latest);
    void setWidth(int pixels);
    void setRange(qint64 from, qint64 to);
    // factor > 1 zooms in; the time under anchorX stays where it is.
    void zoom(double factor, double anchorX);
    void pan(double pixels);
    void showUntil(qint64 time); // the right edge at time, the zoom kept

private:
    void clamp();

    qint64 m_earliest = 0;
    qint64 m_latest = 0;
    qint64 m_start = 0;
    double m_microsecondsPerPixel = 30'000;
    int m_width = 1;
};

} // namespace Sernix::History
