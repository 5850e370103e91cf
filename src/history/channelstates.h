// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "record/record.h"

#include <array>
#include <deque>

namespace Sernix::History {

using Record::Presence;
using ChannelAt = Record::ChannelState;
using ChannelsAt = std::array<ChannelAt, Record::ChannelCount>;

// What a line event does to the channels' state.
void apply(ChannelsAt &channels, const Record::Event &event);

// The state of every channel at any time the record holds, found from the
// nearest of a few remembered states and the events after it, so that a view
// of a late stretch never replays the whole record. It learns the record's
// new events when asked, never from inside the record's append.
class ChannelStates
{
public:
    explicit ChannelStates(const Record::Record &record);

    // The state after every event before time.
    ChannelsAt at(qint64 time);

private:
    static constexpr int EventsPerCheckpoint = 512;
    struct Checkpoint
    {
        quint64 sequence; // the last event it includes
        qint64 time;
        ChannelsAt channels;
    };

    void catchUp();
    void restart();
    ChannelsAt initial() const;

    const Record::Record &m_record;
    std::deque<Checkpoint> m_checkpoints;
    ChannelsAt m_latest{};
    quint64 m_seen = 0;
    qint64 m_seenTime = -1;
    int m_sinceCheckpoint = 0;
};

} // namespace Sernix::History
