// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "markers.h"

#include <QWidget>

namespace Sernix::History {

// A marker drawn over the lanes: a line in its colour, top to bottom, with
// its letter in every channel's header row. A widget of its own, so that a
// screen reader finds it by name ("Marker A") and reads where it stands from
// its description; the mouse goes through it to the lanes.
class MarkerLine : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Width = 13; // the line in the middle column

    MarkerLine(Marker marker, QWidget *lanes);

    // Places the line at x of the lanes, or hides it when x is outside them.
    void place(std::optional<int> x);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Marker m_marker;
};

} // namespace Sernix::History
