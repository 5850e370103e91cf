// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "timescale.h"

#include <QWidget>

namespace Sernix::Record {
class Clock;
}

namespace Sernix::History {

// The time line above the lanes: ticks at round local times, labelled as the
// local clock shows them, and the offset of local time from UTC.
class TimeAxis : public QWidget
{
    Q_OBJECT
public:
    TimeAxis(const Record::Clock &clock, const TimeScale &scale, QWidget *parent = nullptr);

    // The step between ticks, in microseconds, for labels about minPixels apart.
    static qint64 tickStep(double microsecondsPerPixel, int minPixels);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Record::Clock &m_clock;
    const TimeScale &m_scale;
};

} // namespace Sernix::History
