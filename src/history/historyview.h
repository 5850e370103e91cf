// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "channelstates.h"
#include "lanelayout.h"
#include "lanepainter.h"
#include "markers.h"
#include "timescale.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <optional>

namespace Sernix::History {

class MarkerLine;

// The lanes of the four channels on one time line, and everything one does
// with them: zoom (wheel, + and -), pan (drag, arrow keys), follow the
// present (End), and a cursor (mouse, or Shift and Ctrl with the arrow keys)
// whose time, line levels and data block it points at are read out; two
// markers, A and B (the keys A and B at the cursor, or Ctrl+click and
// Shift+click onto the nearest edge), read out with the time between them.
//
// It repaints only when something new is in view, at most once per refresh
// interval, and learns what is new by asking the record then: the record's
// appends cost nothing more while it is open.
class HistoryView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int RefreshIntervalMs = 100;

    explicit HistoryView(const Record::Record &record, QWidget *parent = nullptr);

    const TimeScale &scale() const { return m_scale; }
    bool isFollowing() const { return m_following; }
    void follow();
    // Shows the stretch from..to (record times) and stops following.
    void setRange(qint64 from, qint64 to);
    void placeCursor(std::optional<qint64> time);
    std::optional<qint64> cursorTime() const { return m_cursor; }
    LanePlace selectedLane() const { return m_selected; }
    void selectLane(LanePlace lane);
    const Markers &markers() const { return m_markers; }
    void setMarker(Marker marker, qint64 time);
    void clearMarkers();

    // The cursor's time and every line's level there, the data block
    // pointed at or chosen, and the markers' times, the time between them
    // and the levels at each, one line each.
    QString readOut() const;

    // Takes in what is new; repaints when any of it is in view.
    void refresh();

    QSize sizeHint() const override;

Q_SIGNALS:
    void viewChanged();            // what is shown moved: the time axis follows
    void readOutChanged();         // the cursor moved, or what it reads
    void laneSelected(QRect area); // for the scroll area to bring it into sight

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void changed(); // the view moved: repaint, tell the axis and the read-out
    void stopFollowing();
    qint64 earliest() const;
    void pointAt(QPoint position);
    void moveCursorBy(double pixels);
    void jumpToEvent(bool forward);
    bool matches(const Record::Event &event, LanePlace lane) const;
    void keepCursorInView();
    void chooseData(const Record::Event *event);
    const Record::Event *chosenData() const;
    // The pointer's time, or that of the nearest event on the lane under it
    // within SnapPixels.
    qint64 snappedTime(QPoint position) const;
    void markersChanged(); // tell the markers' lines and the read-out
    void placeMarkers();   // where the scale puts them

    const Record::Record &m_record;
    mutable ChannelStates m_states; // learns new events when asked
    LanePainter m_painter;
    TimeScale m_scale;
    QTimer m_refresh;
    bool m_following = true;
    std::optional<qint64> m_cursor;
    LanePlace m_selected;
    // The data block pointed at or chosen, by its time and number: events
    // are never held by address, the record drops its oldest.
    std::optional<std::pair<qint64, quint64>> m_data;
    std::optional<int> m_dragX;
    Markers m_markers;
    std::array<MarkerLine *, 2> m_markerLines{};
    quint64 m_seen = 0;
    qint64 m_shownNow = 0;
};

} // namespace Sernix::History
