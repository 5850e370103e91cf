// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "channelstates.h"

#include <algorithm>

namespace Sernix::History {

using Record::Category;

void apply(ChannelsAt &channels, const Record::Event &event)
{
    Record::apply(channels.at(std::size_t(event.channel - 1)), event);
}

ChannelStates::ChannelStates(const Record::Record &record)
    : m_record(record)
{
    restart();
}

ChannelsAt ChannelStates::initial() const
{
    // A record that dropped nothing began with every channel off.
    ChannelsAt channels{};
    if (m_record.heldSince(Category::Lines) == 0) {
        for (ChannelAt &channel : channels)
            channel.presence = Presence::Off;
    }
    return channels;
}

void ChannelStates::restart()
{
    m_checkpoints.clear();
    m_latest = initial();
    m_seen = 0;
    m_seenTime = -1;
    m_sinceCheckpoint = 0;
}

void ChannelStates::catchUp()
{
    // Events this never saw were dropped: what came before them is unknown.
    if (m_seen != 0 && m_record.heldSince(Category::Lines) > m_seenTime + 1)
        restart();
    for (const Record::Event &event : m_record.after(Category::Lines, m_seen)) {
        apply(m_latest, event);
        m_seen = event.sequence;
        m_seenTime = event.time;
        if (++m_sinceCheckpoint == EventsPerCheckpoint) {
            m_checkpoints.push_back({m_seen, m_seenTime, m_latest});
            m_sinceCheckpoint = 0;
        }
    }
    // A checkpoint before the oldest event held cannot be replayed from.
    const Record::Record::Events &held = m_record.events(Category::Lines);
    while (!m_checkpoints.empty() && (held.empty() || m_checkpoints.front().sequence < held.front().sequence))
        m_checkpoints.pop_front();
}

ChannelsAt ChannelStates::at(qint64 time)
{
    catchUp();
    const auto after = std::lower_bound(m_checkpoints.begin(), m_checkpoints.end(), time,
                                        [](const Checkpoint &checkpoint, qint64 t) { return checkpoint.time < t; });
    ChannelsAt channels = initial();
    quint64 from = 0;
    if (after != m_checkpoints.begin()) {
        channels = std::prev(after)->channels;
        from = std::prev(after)->sequence;
    }
    for (const Record::Event &event : m_record.after(Category::Lines, from)) {
        if (event.time >= time)
            break;
        apply(channels, event);
    }
    return channels;
}

} // namespace Sernix::History
