// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "lanepainter.h"

#include "lanelayout.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Sernix::History {

using namespace LaneLayout;
using Record::Event;
using Record::EventKind;

namespace {

int columnOf(const TimeScale &scale, qint64 time)
{
    return int(std::clamp(std::floor(scale.x(time)), -2.0, double(scale.width() + 2)));
}

QColor colour(QRgb rgb)
{
    return QColor::fromRgb(rgb);
}

struct Label
{
    QPoint at; // left end of the baseline
    QString text;
    QRgb colour;
};

// Turns the line events of the view into strokes, column by column: one
// vertical where a line changed, however often it did within that column,
// and one horizontal per level held.
class LineTracer
{
public:
    LineTracer(const Record::Record &record, const QFontMetrics &metrics, const ChannelsAt &start, int startColumn)
        : m_record(record)
        , m_metrics(metrics)
    {
        for (int channel = 1; channel <= Record::ChannelCount; ++channel) {
            Trace &trace = m_channels.at(std::size_t(channel - 1));
            trace.state = start.at(std::size_t(channel - 1));
            trace.since = startColumn;
            trace.segmentStart.fill(startColumn);
            trace.textEnd.fill(-1000);
        }
    }

    void take(const Event &event, int column)
    {
        Trace &trace = m_channels.at(std::size_t(event.channel - 1));
        switch (event.kind) {
        case EventKind::On:
        case EventKind::Off:
        case EventKind::OpenFailed:
        case EventKind::Lost:
        case EventKind::Back:
        case EventKind::Reconnecting:
            closeChannel(event.channel, column);
            Record::apply(trace.state, event);
            trace.since = column;
            trace.segmentStart.fill(column);
            label(event.channel, std::nullopt, column, headerText(event), LaneColours::Text);
            return;
        case EventKind::Settings:
        case EventKind::Handshaking:
            label(event.channel, std::nullopt, column, headerText(event), LaneColours::Text);
            return;
        case EventKind::Pulse:
            mark(event.channel, laneOf(event.line), column, LaneColours::Pulse,
                 QStringLiteral("\u00d7") + Record::pulseCountText(event.count));
            return;
        case EventKind::Framing:
        case EventKind::Parity:
        case EventKind::Overrun:
        case EventKind::Break:
            mark(event.channel, Lane::Errors, column, LaneColours::Error,
                 Record::eventName(event.kind) + QLatin1Char(' ') + QString::number(event.count));
            return;
        default:
            break;
        }
        const std::optional<Record::Line> line = Record::lineOf(event.kind);
        if (!line || trace.state.presence != Presence::On)
            return;
        std::optional<bool> &level = trace.state.levels.at(std::size_t(*line));
        const bool next = event.level;
        if (level == next)
            return;
        const Lane lane = laneOf(*line);
        if (level) {
            horizontal(event.channel, lane, trace.segmentStart.at(std::size_t(*line)), column, *level);
            // Many changes within one column make one stroke.
            if (m_lastVertical.at(std::size_t(event.channel - 1) * Record::LineCount + std::size_t(*line)) != column) {
                m_traces.append(
                    QLine(column, levelY(event.channel, lane, true), column, levelY(event.channel, lane, false)));
                m_lastVertical.at(std::size_t(event.channel - 1) * Record::LineCount + std::size_t(*line)) = column;
            }
        }
        level = next;
        trace.segmentStart.at(std::size_t(*line)) = column;
    }

    void finish(int column)
    {
        for (int channel = 1; channel <= Record::ChannelCount; ++channel)
            closeChannel(channel, column);
    }

    void draw(QPainter &painter) const
    {
        for (const auto &[rect, presence] : m_hatches) {
            if (presence == Presence::Off)
                painter.fillRect(rect, QBrush(colour(LaneColours::Off), Qt::BDiagPattern));
            else if (presence == Presence::Lost)
                painter.fillRect(rect, QBrush(colour(LaneColours::Lost), Qt::FDiagPattern));
            else
                painter.fillRect(rect, QBrush(colour(LaneColours::NotHeld), Qt::DiagCrossPattern));
        }
        painter.setPen(QPen(colour(LaneColours::Trace), 2));
        painter.drawLines(m_traces);
        for (const auto &[rect, rgb] : m_marks)
            painter.fillRect(rect, colour(rgb));
        for (const Label &label : m_labels) {
            painter.setPen(colour(label.colour));
            painter.drawText(label.at, label.text);
        }
    }

private:
    struct Trace
    {
        ChannelAt state;
        int since = 0;
        std::array<int, Record::LineCount> segmentStart{};
        std::array<int, LaneCount + 1> textEnd{}; // by lane, the header last
    };

    QString headerText(const Event &event) const
    {
        QString text = Record::eventName(event.kind);
        for (const QString &part : {m_record.text(event.subject), m_record.text(event.detail)}) {
            if (!part.isEmpty())
                text += QLatin1Char(' ') + part;
        }
        return text;
    }

    void closeChannel(int channel, int column)
    {
        Trace &trace = m_channels.at(std::size_t(channel - 1));
        if (trace.state.presence != Presence::On && column > trace.since) {
            m_hatches.push_back(
                {QRect(trace.since, laneTop(channel, Lane::Dcd), column - trace.since, LaneCount * LaneHeight),
                 trace.state.presence});
        }
        for (int line = 0; line < Record::LineCount; ++line) {
            if (const std::optional<bool> level = trace.state.levels.at(std::size_t(line)))
                horizontal(channel, laneOf(Record::Line(line)), trace.segmentStart.at(std::size_t(line)), column,
                           *level);
        }
    }

    void horizontal(int channel, Lane lane, int from, int to, bool high)
    {
        if (to > from)
            m_traces.append(QLine(from, levelY(channel, lane, high), to, levelY(channel, lane, high)));
    }

    void mark(int channel, Lane lane, int column, QRgb rgb, const QString &text)
    {
        m_marks.push_back({QRect(column - 1, laneTop(channel, lane) + 2, 3, LaneHeight - 4), rgb});
        label(channel, lane, column + 3, text, rgb);
    }

    // A label is left out where it would run into the one before it.
    void label(int channel, std::optional<Lane> lane, int column, const QString &text, QRgb rgb)
    {
        int &end = m_channels.at(std::size_t(channel - 1)).textEnd.at(lane ? std::size_t(*lane) : LaneCount);
        if (column <= end)
            return;
        end = column + m_metrics.horizontalAdvance(text) + 6;
        const int baseline = lane ? laneTop(channel, *lane) + LaneHeight - 4 : channelTop(channel) + HeaderHeight - 6;
        m_labels.push_back({QPoint(column, baseline), text, rgb});
    }

    const Record::Record &m_record;
    const QFontMetrics &m_metrics;
    std::array<Trace, Record::ChannelCount> m_channels{};
    std::array<int, std::size_t(Record::ChannelCount) *Record::LineCount> m_lastVertical = [] {
        std::array<int, std::size_t(Record::ChannelCount) * Record::LineCount> columns{};
        columns.fill(-1000);
        return columns;
    }();
    QList<QLine> m_traces;
    std::vector<std::pair<QRect, Presence>> m_hatches;
    std::vector<std::pair<QRect, QRgb>> m_marks;
    std::vector<Label> m_labels;
};

} // namespace

LanePainter::LanePainter(const Record::Record &record, ChannelStates &states)
    : m_record(record)
    , m_states(states)
{
}

void LanePainter::paint(QPainter &painter, const TimeScale &scale, int top, int bottom)
{
    m_now = m_record.now();
    m_startStates = m_states.at(scale.start());
    paintFrame(painter, scale, top, bottom);
    painter.save();
    painter.setClipRect(QRect(LabelWidth, top, scale.width(), bottom - top));
    painter.translate(LabelWidth, 0);
    paintNotHeld(painter, scale);
    paintLines(painter, scale);
    paintData(painter, scale);
    painter.restore();
}

void LanePainter::paintFrame(QPainter &painter, const TimeScale &scale, int top, int bottom) const
{
    const int right = LabelWidth + scale.width();
    painter.fillRect(QRect(0, top, right, bottom - top), colour(LaneColours::Background));
    QFont bold = painter.font();
    bold.setBold(true);
    for (int channel = 1; channel <= Record::ChannelCount; ++channel) {
        if (channelTop(channel) >= bottom || channelTop(channel) + ChannelHeight <= top)
            continue;
        painter.fillRect(QRect(0, channelTop(channel), right, HeaderHeight), colour(LaneColours::Header));
        painter.setPen(colour(LaneColours::Text));
        painter.save();
        painter.setFont(bold);
        painter.drawText(QPoint(6, channelTop(channel) + HeaderHeight - 6), QStringLiteral("COM%1").arg(channel));
        painter.restore();
        for (int lane = 0; lane < LaneCount; ++lane) {
            const int y = laneTop(channel, Lane(lane));
            painter.setPen(colour(LaneColours::Text));
            painter.drawText(QPoint(14, y + LaneHeight - 5), laneName(Lane(lane)));
            painter.setPen(QColor(230, 230, 230));
            painter.drawLine(0, y + LaneHeight - 1, right, y + LaneHeight - 1);
        }
    }
    painter.setPen(QColor(190, 190, 190));
    painter.drawLine(LabelWidth - 1, top, LabelWidth - 1, bottom);
}

void LanePainter::paintNotHeld(QPainter &painter, const TimeScale &scale) const
{
    // Before what the record holds, each category's lanes are hatched.
    const QBrush brush(colour(LaneColours::NotHeld), Qt::DiagCrossPattern);
    for (Record::Category category : {Record::Category::Lines, Record::Category::Data}) {
        const qint64 since = m_record.heldSince(category);
        if (since == 0 || since <= scale.start())
            continue;
        const int end = columnOf(scale, since);
        const bool data = category == Record::Category::Data;
        for (int channel = 1; channel <= Record::ChannelCount; ++channel) {
            const int from = laneTop(channel, data ? Lane::Received : Lane::Dcd);
            const int to = data ? laneTop(channel, Lane::Sent) + LaneHeight : laneTop(channel, Lane::Received);
            painter.fillRect(QRect(-2, from, end + 2, to - from), brush);
        }
    }
}

void LanePainter::paintLines(QPainter &painter, const TimeScale &scale) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int first = columnOf(scale, std::max(scale.start(), m_record.heldSince(Record::Category::Lines)));
    LineTracer tracer(m_record, metrics, m_startStates, first);
    const qint64 end = std::min(scale.end() + 1, m_now);
    for (const Event &event : m_record.range(Record::Category::Lines, scale.start(), end))
        tracer.take(event, columnOf(scale, event.time));
    // What the channels hold now goes on until now, or the view's end.
    tracer.finish(columnOf(scale, end));
    tracer.draw(painter);
}

void LanePainter::paintData(QPainter &painter, const TimeScale &scale) const
{
    // One flag per pixel column and lane: a view of a million events draws a
    // few hundred blocks.
    const int width = scale.width();
    constexpr int DataLanes = Record::ChannelCount * 2;
    std::vector<quint8> used(std::size_t(DataLanes * width), 0);
    const auto use = [&](int column, quint8 lanes) {
        if (column < 0 || column >= width)
            return;
        for (int lane = 0; lane < DataLanes; ++lane) {
            if (lanes & (1u << lane))
                used[std::size_t(lane) * std::size_t(width) + std::size_t(column)] = 1;
        }
    };
    const Record::Record::Events &held = m_record.events(Record::Category::Data);
    const Record::Record::EventRange inView = m_record.range(Record::Category::Data, scale.start(), scale.end() + 1);
    const qsizetype last = inView.end() - held.begin();
    for (qsizetype at = inView.begin() - held.begin(); at < last;) {
        const int column = columnOf(scale, held[std::size_t(at)].time);
        // A whole run within one column is drawn from its lanes alone.
        constexpr qsizetype Run = Record::Record::DataRun;
        if (m_record.startsDataRun(at) && at + Run <= last
            && columnOf(scale, held[std::size_t(at + Run - 1)].time) == column) {
            use(column, m_record.dataRunLanes(at));
            at += Run;
            continue;
        }
        const Event &event = held[std::size_t(at)];
        use(column, quint8(1u << Record::Record::dataLane(event.channel, event.kind)));
        ++at;
    }
    for (int lane = 0; lane < DataLanes; ++lane) {
        const int channel = lane / 2 + 1;
        const bool sent = lane % 2 == 1;
        const int y = laneTop(channel, sent ? Lane::Sent : Lane::Received) + 3;
        const QColor fill = colour(sent ? LaneColours::Sent : LaneColours::Received);
        for (int column = 0; column < width;) {
            if (!used[std::size_t(lane) * std::size_t(width) + std::size_t(column)]) {
                ++column;
                continue;
            }
            int run = column;
            while (run < width && used[std::size_t(lane) * std::size_t(width) + std::size_t(run)])
                ++run;
            // A lone event is still a block one can point at.
            painter.fillRect(QRect(column, y, std::max(3, run - column), LaneHeight - 7), fill);
            column = run;
        }
    }
}

} // namespace Sernix::History
