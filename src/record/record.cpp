// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "record.h"

#include <algorithm>

namespace Sernix::Record {

Record::Record(Budget budget, QObject *parent)
    : Record(Clock(), budget, parent)
{
}

Record::Record(const Clock &clock, Budget budget, QObject *parent)
    : QObject(parent)
    , m_budget(budget)
    , m_clock(clock)
{
}

void Record::append(int channel, EventKind kind, const QString &value, const QString &text, const QByteArray &bytes,
                    std::optional<qint64> time)
{
    const Category category = categoryOf(kind);
    Events &events = m_events[std::size_t(category)];
    qint64 stamp = time ? *time : m_clock.now();
    if (!events.empty())
        stamp = std::max(stamp, events.back().time);
    events.push_back(Event{stamp, ++m_sequence, channel, kind, value, text, bytes});
    m_footprint[std::size_t(category)] += events.back().footprint();
    updateState(events.back());
    dropOldest(category);
    Q_EMIT appended(channel, category);
}

void Record::dropOldest(Category category)
{
    const std::size_t index = std::size_t(category);
    const qint64 limit = category == Category::Lines ? m_budget.lineBytes : m_budget.dataBytes;
    Events &events = m_events[index];
    while (m_footprint[index] > limit && !events.empty()) {
        m_footprint[index] -= events.front().footprint();
        // Events at the same time as the dropped one may remain; from the
        // next microsecond on, nothing is missing.
        m_heldSince[index] = events.front().time + 1;
        events.pop_front();
    }
}

void Record::updateState(const Event &event)
{
    ChannelState &state = m_states.at(std::size_t(event.channel - 1));
    switch (event.kind) {
    case EventKind::On:
    case EventKind::Back:
        state = ChannelState{true, {}};
        break;
    case EventKind::Off:
    case EventKind::Lost:
    case EventKind::Reconnecting:
        state = ChannelState{};
        break;
    default:
        if (const std::optional<Line> line = lineOf(event.kind); line && state.live)
            state.levels.at(std::size_t(*line)) = event.value == QLatin1String("1");
        break;
    }
}

Record::EventRange Record::range(Category category, qint64 from, qint64 to) const
{
    const Events &events = m_events[std::size_t(category)];
    const auto byTime = [](const Event &event, qint64 time) { return event.time < time; };
    const auto first = std::lower_bound(events.begin(), events.end(), from, byTime);
    const auto last = std::lower_bound(first, events.end(), to, byTime);
    return {first, last};
}

Record::EventRange Record::after(Category category, quint64 sequence) const
{
    const Events &events = m_events[std::size_t(category)];
    const auto first = std::upper_bound(events.begin(), events.end(), sequence,
                                        [](quint64 number, const Event &event) { return number < event.sequence; });
    return {first, events.end()};
}

} // namespace Sernix::Record
