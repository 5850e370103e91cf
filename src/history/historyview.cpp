// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "historyview.h"

#include "markerline.h"
#include "readout.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStringList>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace Sernix::History {

using namespace LaneLayout;
using Record::Category;
using Record::Event;
using Record::EventKind;

namespace {

constexpr double ZoomStep = 2;
constexpr qint64 OpeningSpan = 60'000'000; // a minute, following the present
constexpr int HoverPixels = 4;

std::optional<EventKind> dataKindOf(Lane lane)
{
    if (lane == Lane::Received)
        return EventKind::Received;
    if (lane == Lane::Sent)
        return EventKind::Sent;
    return std::nullopt;
}

} // namespace

HistoryView::HistoryView(const Record::Record &record, QWidget *parent)
    : QWidget(parent)
    , m_record(record)
    , m_states(record)
    , m_painter(record, m_states)
{
    setObjectName(QStringLiteral("HistoryView"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(Height);
    m_scale.setWidth(std::max(1, width() - LabelWidth));
    m_scale.setBounds(earliest(), m_record.now());
    m_scale.setRange(m_record.now() - OpeningSpan, m_record.now());
    m_refresh.setInterval(RefreshIntervalMs);
    connect(&m_refresh, &QTimer::timeout, this, &HistoryView::refresh);
    for (const Marker marker : BothMarkers)
        m_markerLines.at(std::size_t(marker)) = new MarkerLine(marker, this);
}

QSize HistoryView::sizeHint() const
{
    return {900, Height};
}

qint64 HistoryView::earliest() const
{
    qint64 first = std::numeric_limits<qint64>::max();
    for (Category category : {Category::Lines, Category::Data}) {
        const Record::Record::Events &events = m_record.events(category);
        first = std::min(first,
                         events.empty() ? m_record.heldSince(category)
                                        : std::min(m_record.heldSince(category), events.front().time));
    }
    return first;
}

void HistoryView::refresh()
{
    const qint64 now = m_record.now();
    bool dirty = false;
    // The present moves a pixel at a time: less is not worth a repaint.
    if (std::abs(double(now - m_shownNow)) >= m_scale.microsecondsPerPixel()) {
        const bool nowInView = m_shownNow >= m_scale.start() && m_shownNow <= m_scale.end();
        m_shownNow = now;
        m_scale.setBounds(earliest(), now);
        if (m_following)
            m_scale.showUntil(now);
        dirty = m_following || nowInView;
    }
    for (Category category : {Category::Lines, Category::Data}) {
        const Record::Record::EventRange fresh = m_record.after(category, m_seen);
        dirty = dirty || (!fresh.empty() && fresh.first->time <= m_scale.end());
    }
    m_seen = m_record.lastSequence();
    if (dirty)
        changed();
}

void HistoryView::changed()
{
    update();
    placeMarkers();
    Q_EMIT viewChanged();
    Q_EMIT readOutChanged();
}

void HistoryView::follow()
{
    m_following = true;
    m_shownNow = m_record.now();
    m_scale.setBounds(earliest(), m_shownNow);
    m_scale.showUntil(m_shownNow);
    changed();
}

void HistoryView::stopFollowing()
{
    m_following = false;
}

void HistoryView::setRange(qint64 from, qint64 to)
{
    stopFollowing();
    m_scale.setBounds(earliest(), m_record.now());
    m_scale.setRange(from, to);
    changed();
}

void HistoryView::placeCursor(std::optional<qint64> time)
{
    m_cursor = time;
    update();
    Q_EMIT readOutChanged();
}

void HistoryView::setMarker(Marker marker, qint64 time)
{
    m_markers.set(marker, time);
    markersChanged();
}

void HistoryView::clearMarkers()
{
    m_markers.clear();
    markersChanged();
}

void HistoryView::markersChanged()
{
    const QString measured = ReadOut::markersText(m_record.clock(), m_markers);
    for (const Marker marker : BothMarkers) {
        m_markerLines.at(std::size_t(marker))
            ->setAccessibleDescription(m_markers.time(marker) ? measured : QStringLiteral("not set"));
    }
    placeMarkers();
    Q_EMIT readOutChanged();
}

void HistoryView::placeMarkers()
{
    for (const Marker marker : BothMarkers) {
        const std::optional<qint64> time = m_markers.time(marker);
        const double x = time ? m_scale.x(*time) : -1;
        m_markerLines.at(std::size_t(marker))
            ->place(x >= 0 && x <= m_scale.width() ? std::optional(LabelWidth + int(std::floor(x))) : std::nullopt);
    }
}

qint64 HistoryView::snappedTime(QPoint position) const
{
    const qint64 time = m_scale.timeAt(position.x() - LabelWidth);
    const std::optional<LanePlace> lane = LaneLayout::laneAt(position.y());
    if (!lane)
        return time;
    const auto reach = qint64(std::ceil(SnapPixels * m_scale.microsecondsPerPixel()));
    const Category category = dataKindOf(lane->lane) ? Category::Data : Category::Lines;
    std::vector<qint64> edges;
    for (const Event &event : m_record.range(category, time - reach, time + reach + 1)) {
        if (matches(event, *lane))
            edges.push_back(event.time);
    }
    return snapToEdge(edges, time, m_scale.microsecondsPerPixel());
}

void HistoryView::selectLane(LanePlace lane)
{
    m_selected = lane;
    update();
    Q_EMIT laneSelected(QRect(0, channelTop(lane.channel), width(), ChannelHeight)
                            .united(QRect(0, laneTop(lane.channel, lane.lane), width(), LaneHeight)));
}

QString HistoryView::readOut() const
{
    QStringList lines;
    if (!m_cursor) {
        lines << QStringLiteral("Point at the lanes, or press Shift+Left or Shift+Right, to read the levels at a time");
    } else {
        lines << QStringLiteral("%1 (%2)   %3")
                     .arg(ReadOut::timeText(m_record.clock(), *m_cursor),
                          ReadOut::utcOffsetText(ReadOut::localTime(m_record.clock(), *m_cursor)),
                          ReadOut::levelsText(m_states.at(*m_cursor + 1)));
    }
    if (const Event *data = chosenData())
        lines << ReadOut::dataText(m_record, *data);
    if (m_markers.any())
        lines << ReadOut::markersText(m_record.clock(), m_markers);
    // At a marker on an edge, the level that edge set.
    for (const Marker marker : BothMarkers) {
        if (const std::optional<qint64> time = m_markers.time(marker))
            lines << QStringLiteral("At %1: %2").arg(markerName(marker), ReadOut::levelsText(m_states.at(*time + 1)));
    }
    return lines.join(QLatin1Char('\n'));
}

const Event *HistoryView::chosenData() const
{
    if (!m_data)
        return nullptr;
    for (const Event &event : m_record.range(Category::Data, m_data->first, m_data->first + 1)) {
        if (event.sequence == m_data->second)
            return &event;
    }
    return nullptr;
}

void HistoryView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    m_painter.paint(painter, m_scale, event->rect().top(), event->rect().bottom() + 1);
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(QRect(1, laneTop(m_selected.channel, m_selected.lane), LabelWidth - 3, LaneHeight - 2));
    }
    if (const Event *data = chosenData()) {
        const int x = LabelWidth + int(std::floor(m_scale.x(data->time)));
        const Lane lane = data->kind == EventKind::Sent ? Lane::Sent : Lane::Received;
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.drawRect(QRect(x - 3, laneTop(data->channel, lane) + 1, 9, LaneHeight - 3));
    }
    if (m_cursor) {
        const double x = m_scale.x(*m_cursor);
        if (x >= 0 && x <= m_scale.width()) {
            painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
            painter.drawLine(QPointF(LabelWidth + x, event->rect().top()),
                             QPointF(LabelWidth + x, event->rect().bottom() + 1));
        }
    }
}

void HistoryView::resizeEvent(QResizeEvent *)
{
    m_scale.setWidth(std::max(1, width() - LabelWidth));
    if (m_following)
        m_scale.showUntil(m_record.now());
    placeMarkers();
    Q_EMIT viewChanged();
}

void HistoryView::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    const double x = event->position().x() - LabelWidth;
    // Zooming at the present's end of the view keeps following it.
    if (m_following && x >= m_scale.width() * 0.9) {
        m_scale.zoom(std::pow(1.25, steps), m_scale.width());
    } else {
        stopFollowing();
        m_scale.zoom(std::pow(1.25, steps), x);
    }
    changed();
    event->accept();
}

void HistoryView::mousePressEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (event->button() == Qt::LeftButton && position.x() >= LabelWidth
        && (modifiers & (Qt::ControlModifier | Qt::ShiftModifier))) {
        setMarker(modifiers & Qt::ControlModifier ? Marker::A : Marker::B, snappedTime(position));
    } else if (event->button() == Qt::LeftButton) {
        m_dragX = position.x();
    }
    setFocus(Qt::MouseFocusReason);
}

void HistoryView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    if (m_dragX && (event->buttons() & Qt::LeftButton)) {
        stopFollowing();
        m_scale.pan(*m_dragX - position.x());
        m_dragX = position.x();
        changed();
    }
    pointAt(position);
}

void HistoryView::mouseReleaseEvent(QMouseEvent *)
{
    m_dragX.reset();
}

void HistoryView::leaveEvent(QEvent *)
{
    if (!hasFocus())
        placeCursor(std::nullopt);
}

void HistoryView::pointAt(QPoint position)
{
    const double x = position.x() - LabelWidth;
    if (x < 0) {
        placeCursor(std::nullopt);
        return;
    }
    m_cursor = m_scale.timeAt(x);
    const std::optional<LanePlace> lane = LaneLayout::laneAt(position.y());
    const std::optional<EventKind> kind = lane ? dataKindOf(lane->lane) : std::nullopt;
    const Event *data = kind ? ReadOut::dataNear(m_record, lane->channel, *kind, m_scale.timeAt(x - HoverPixels),
                                                 m_scale.timeAt(x + HoverPixels), *m_cursor)
                             : nullptr;
    chooseData(data);
    if (data)
        QToolTip::showText(mapToGlobal(position), ReadOut::dataText(m_record, *data), this);
    else
        QToolTip::hideText();
}

void HistoryView::chooseData(const Event *event)
{
    m_data = event ? std::optional(std::pair(event->time, event->sequence)) : std::nullopt;
    update();
    Q_EMIT readOutChanged();
}

void HistoryView::keyPressEvent(QKeyEvent *event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const double center = m_scale.width() / 2.0;
    const double cursorX = m_cursor ? std::clamp(m_scale.x(*m_cursor), 0.0, double(m_scale.width())) : center;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const double direction = event->key() == Qt::Key_Left ? -1 : 1;
        if (control) {
            jumpToEvent(direction > 0);
        } else if (shift) {
            moveCursorBy(direction * 5);
        } else {
            stopFollowing();
            m_scale.pan(direction * m_scale.width() / 8.0);
            changed();
        }
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        int index = (m_selected.channel - 1) * LaneCount + int(m_selected.lane) + (event->key() == Qt::Key_Up ? -1 : 1);
        index = std::clamp(index, 0, Record::ChannelCount * LaneCount - 1);
        selectLane({index / LaneCount + 1, Lane(index % LaneCount)});
        return;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int channel =
            std::clamp(m_selected.channel + (event->key() == Qt::Key_PageUp ? -1 : 1), 1, Record::ChannelCount);
        selectLane({channel, m_selected.lane});
        return;
    }
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus: {
        const double factor = event->key() == Qt::Key_Minus ? 1 / ZoomStep : ZoomStep;
        if (m_following && !m_cursor) {
            m_scale.zoom(factor, m_scale.width());
        } else {
            stopFollowing();
            m_scale.zoom(factor, cursorX);
        }
        changed();
        return;
    }
    case Qt::Key_Home:
        stopFollowing();
        m_scale.setRange(earliest(), earliest() + qint64(m_scale.width() * m_scale.microsecondsPerPixel()));
        changed();
        return;
    case Qt::Key_End:
        follow();
        return;
    case Qt::Key_Escape:
        chooseData(nullptr);
        placeCursor(std::nullopt);
        clearMarkers();
        return;
    case Qt::Key_A:
    case Qt::Key_B:
        if (!control) {
            setMarker(event->key() == Qt::Key_A ? Marker::A : Marker::B, m_cursor.value_or(m_scale.timeAt(cursorX)));
            return;
        }
        [[fallthrough]]; // Ctrl+A and Ctrl+B are the window's
    default:
        QWidget::keyPressEvent(event);
        return;
    }
}

void HistoryView::moveCursorBy(double pixels)
{
    const double from = m_cursor ? m_scale.x(*m_cursor) : m_scale.width() / 2.0;
    m_cursor = m_scale.timeAt(from + pixels);
    chooseData(nullptr);
    keepCursorInView();
}

bool HistoryView::matches(const Event &event, LanePlace lane) const
{
    if (event.channel != lane.channel)
        return false;
    if (const std::optional<EventKind> kind = dataKindOf(lane.lane))
        return event.kind == *kind;
    if (lane.lane == Lane::Errors)
        return Record::isError(event.kind);
    const Record::Line line = *lineOf(lane.lane);
    return Record::lineOf(event.kind) == line || (event.kind == EventKind::Pulse && event.line == line);
}

void HistoryView::jumpToEvent(bool forward)
{
    // The next or previous event of the chosen lane from the cursor.
    const qint64 from = m_cursor.value_or(m_scale.timeAt(m_scale.width() / 2.0));
    const Category category = dataKindOf(m_selected.lane) ? Category::Data : Category::Lines;
    const Record::Record::Events &events = m_record.events(category);
    const Event *found = nullptr;
    if (forward) {
        for (const Event &event : m_record.range(category, from + 1, std::numeric_limits<qint64>::max())) {
            if (matches(event, m_selected)) {
                found = &event;
                break;
            }
        }
    } else {
        const auto before = m_record.range(category, std::numeric_limits<qint64>::min(), from).end();
        for (auto it = std::make_reverse_iterator(before); it != events.rend(); ++it) {
            if (matches(*it, m_selected)) {
                found = &*it;
                break;
            }
        }
    }
    if (!found)
        return;
    m_cursor = found->time;
    chooseData(category == Category::Data ? found : nullptr);
    keepCursorInView();
}

void HistoryView::keepCursorInView()
{
    const double x = m_scale.x(*m_cursor);
    if (x < 0 || x > m_scale.width()) {
        stopFollowing();
        m_scale.pan(x - m_scale.width() / 2.0);
    }
    changed();
}

void HistoryView::showEvent(QShowEvent *)
{
    m_refresh.start();
    refresh();
}

void HistoryView::hideEvent(QHideEvent *)
{
    m_refresh.stop();
}

void HistoryView::focusInEvent(QFocusEvent *)
{
    update();
}

void HistoryView::focusOutEvent(QFocusEvent *)
{
    update();
}

} // namespace Sernix::History
