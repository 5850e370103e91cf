// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "record/record.h"

#include <array>
#include <bit>
#include <optional>
#include <vector>

namespace Sernix::History {

// How the traffic view cuts the record's bytes into rows: which channels it
// shows, and how long the line must be idle for a chunk to end.
struct TrafficOptions
{
    static constexpr int MaxChunkBytes = 16;
    static constexpr qint64 MinimumGapNs = 1'750'000; // Modbus RTU's frame gap above 19,200 baud
    static constexpr double GapCharacters = 3.5;

    quint8 channels = 0x0f; // bit n - 1: channel n
    qint64 fixedGapNs = 0;  // 0: 3.5 characters at the channel's speed, at least MinimumGapNs
    // Two channels that are the two sides of one link, as channels' bits, or
    // 0: what each receives is what the device at its end of the link sends.
    // While set, only these two are shown.
    quint8 link = 0;

    bool isLinked() const { return std::popcount(link) == 2; }
    bool shows(int channel) const { return ((isLinked() ? link : channels) >> (channel - 1)) & 1u; }
    bool isSide(int channel) const { return isLinked() && ((link >> (channel - 1)) & 1u); }
    qint64 gapNs(qint64 characterNs) const;
};

// Where a row begins: a chunk's first byte (a data event and the place of the
// byte in it), or a line event of its own.
struct TrafficRow
{
    qint64 time = 0;         // of the event
    qint64 previousTime = 0; // of the row before, or -1 for the first
    quint64 sequence = 0;    // of the event
    quint32 characterNs = 0; // data: the channel's character time then
    quint16 offset = 0;      // data: the first byte's place in the event
    qint64 answerNs = -1;    // linked: from the other side's last byte to this chunk's first; -1: none
    bool isData = false;
    quint8 channel = 1;
    Record::EventKind kind = Record::EventKind::Received;
};

// What a scan knew when it stopped, so that another one carries on from
// there: small, and made of sequence numbers, which stay true however the
// record grows or drops its oldest events.
struct TrafficState
{
    struct Stream
    {
        qint64 lastTime = 0;                         // of its last data event
        quint32 characterNs = 0;                     // of its open chunk, whose gap holds to its end
        quint8 fill = TrafficOptions::MaxChunkBytes; // of its open chunk; full: none open
    };
    quint64 linesAfter = 0; // every line event up to this sequence is taken
    quint64 dataAfter = 0;  // every data event up to this sequence is taken
    quint16 dataOffset = 0; // and this many bytes of the next
    qint64 previousRowTime = -1;
    std::array<Stream, std::size_t{2} * Record::ChannelCount> streams{};
    std::array<quint32, Record::ChannelCount> characterNs{};
    // Of a link: when each side's last read came, and which side spoke last.
    std::array<qint64, Record::ChannelCount> sideLastTime{};
    quint8 lastSide = 0;
};

// Walks the record in time order from a state and yields the traffic view's
// rows. Lives for one walk: the record must not change meanwhile.
class TrafficScan
{
public:
    TrafficScan(const Record::Record &record, const TrafficOptions &options, const TrafficState &from);

    // The next row, or nothing at the end of what the record holds.
    std::optional<TrafficRow> next();
    const TrafficState &state() const { return m_state; }

    // The bytes of a data row's chunk, and the data events they lie in.
    static QByteArray chunk(const Record::Record &record, const TrafficOptions &options, const TrafficRow &row,
                            std::vector<quint64> *sequences = nullptr);
    // Up to count bytes of the row's channel and direction from the row's
    // first byte on, whatever chunks they fall in.
    static QByteArray stream(const Record::Record &record, const TrafficRow &row, qsizetype count);
    // A channel's character time by what an on or settings event says; 0 if it says none.
    static quint32 characterNsOf(const Record::Record &record, const Record::Event &event);

private:
    void takeLineEvent(const Record::Event &event);
    std::optional<TrafficRow> takeData(const Record::Event &event);
    void takeSide(const Record::Event &event, TrafficRow *row);

    const Record::Record &m_record;
    const TrafficOptions m_options;
    TrafficState m_state;
    const Record::Record::Events &m_lines;
    const Record::Record::Events &m_data;
    std::size_t m_line;
    std::size_t m_datum;
};

// Whether a data event of a stream continues the chunk before it: the line
// was idle at most the gap between that chunk's last read and this read's
// first byte, which came its bytes' wire time before the read.
bool continuesChunk(qint64 previousTime, const Record::Event &event, qint64 characterNs, qint64 gapNs);

} // namespace Sernix::History
