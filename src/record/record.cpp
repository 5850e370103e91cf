// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "record.h"

#include <algorithm>

namespace Sernix::Record {

namespace {

// What a std::deque of events holds for a number of them: whole nodes of
// 512 bytes' worth of events (libstdc++'s size), one partly used at each
// end, and its map of node pointers, which it keeps up to twice as large.
qint64 entryBytes(std::size_t events)
{
    constexpr std::size_t PerNode = std::max<std::size_t>(1, 512 / sizeof(Event));
    constexpr qint64 NodeBytes = qint64(PerNode) * qint64(sizeof(Event)) + 16;
    const qint64 nodes = qint64(events / PerNode) + 2;
    return nodes * NodeBytes + (2 * nodes + 8) * qint64(sizeof(void *));
}

} // namespace

Record::Record(Budget budget, QObject *parent)
    : Record(Clock(), budget, parent)
{
}

Record::Record(const Clock &clock, Budget budget, QObject *parent)
    : QObject(parent)
    , m_budget(budget)
    , m_clock(clock)
    , m_bytes(budget.dataBytes)
{
    // A record begins with every channel off.
    m_states.fill(ChannelState{Presence::Off, {}});
    m_footprint = {measure(Category::Lines), measure(Category::Data)};
}

void Record::appendStatus(int channel, EventKind kind, const QString &subject, const QString &detail,
                          std::optional<qint64> time)
{
    Event event{.channel = quint8(channel), .kind = kind};
    event.subject = m_texts.hold(subject);
    event.detail = m_texts.hold(detail);
    take(event, time);
}

void Record::appendLevel(int channel, Line line, bool level, std::optional<qint64> time, bool atEdge)
{
    take(Event{.channel = quint8(channel), .kind = levelEvent(line), .line = line, .level = level, .atEdge = atEdge},
         time);
}

void Record::appendPulse(int channel, Line line, quint32 transitions, std::optional<qint64> time, bool atEdge)
{
    take(
        Event{
            .count = transitions, .channel = quint8(channel), .kind = EventKind::Pulse, .line = line, .atEdge = atEdge},
        time);
}

void Record::appendError(int channel, EventKind kind, quint32 count, std::optional<qint64> time)
{
    take(Event{.count = count, .channel = quint8(channel), .kind = kind}, time);
}

void Record::appendData(int channel, EventKind kind, QByteArrayView bytes, std::optional<qint64> time)
{
    // Stamped once: the read or the write handed them over at one moment.
    const qint64 stamp = time ? *time : m_clock.now();
    for (qsizetype at = 0; at < bytes.size(); at += MaxBytesPerEvent) {
        const QByteArrayView part = bytes.sliced(at, std::min<qsizetype>(MaxBytesPerEvent, bytes.size() - at));
        Event event{.channel = quint8(channel), .kind = kind};
        event.bytesAt = m_bytes.add(part);
        event.count = quint32(part.size());
        take(event, stamp);
    }
}

QByteArrayView Record::bytes(const Event &event) const
{
    if (categoryOf(event.kind) != Category::Data || event.count == 0)
        return {};
    return m_bytes.at(event.bytesAt, qsizetype(event.count));
}

void Record::take(Event event, std::optional<qint64> time)
{
    const Category category = categoryOf(event.kind);
    Events &events = m_events[std::size_t(category)];
    event.time = time ? *time : m_clock.now();
    if (!events.empty())
        event.time = std::max(event.time, events.back().time);
    event.sequence = ++m_sequence;
    events.push_back(event);
    if (category == Category::Data) {
        if (m_dataTaken++ % DataRun == 0)
            m_runLanes.push_back(0);
        m_runLanes.back() |= quint8(1u << dataLane(event.channel, event.kind));
    }
    m_footprint[std::size_t(category)] = measure(category);
    apply(m_states.at(std::size_t(event.channel - 1)), event);
    dropOldest(category);
    Q_EMIT appended(event.channel, category);
}

qint64 Record::measure(Category category) const
{
    const qint64 entries = entryBytes(m_events[std::size_t(category)].size());
    if (category == Category::Lines)
        return entries + m_texts.footprint();
    // A byte per run, in nodes of 512.
    return entries + m_bytes.footprint() + qint64(m_runLanes.size() / 512 + 2) * 528;
}

void Record::dropOldest(Category category)
{
    const std::size_t index = std::size_t(category);
    const qint64 limit = category == Category::Lines ? m_budget.lineBytes : m_budget.dataBytes;
    Events &events = m_events[index];
    while (m_footprint[index] > limit && !events.empty()) {
        const Event &oldest = events.front();
        // Events at the same time as the dropped one may remain; from the
        // next microsecond on, nothing is missing.
        m_heldSince[index] = oldest.time + 1;
        m_texts.release(oldest.subject);
        m_texts.release(oldest.detail);
        events.pop_front();
        if (category == Category::Data) {
            m_bytes.releaseBefore(events.empty() ? m_bytes.end() : events.front().bytesAt);
            if (++m_dataDropped % DataRun == 0)
                m_runLanes.pop_front();
        }
        m_footprint[index] = measure(category);
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
