// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "trafficscan.h"

#include "serial/linesettings.h"

#include <algorithm>
#include <cmath>

namespace Sernix::History {

using Record::Category;
using Record::Event;
using Record::EventKind;

namespace {

quint32 characterNsFor(const MSCommLib::LineSettings &settings)
{
    return quint32(std::llround(settings.bitsPerCharacter() * 1e9 / settings.baudRate));
}

// Until the record says otherwise, the speed a port opens with.
const quint32 DefaultCharacterNs = characterNsFor(MSCommLib::LineSettings());

std::size_t firstAfter(const Record::Record::Events &events, quint64 sequence)
{
    return std::size_t(std::upper_bound(events.begin(), events.end(), sequence,
                                        [](quint64 number, const Event &event) { return number < event.sequence; })
                       - events.begin());
}

int streamOf(const Event &event)
{
    return Record::Record::dataLane(event.channel, event.kind);
}

} // namespace

qint64 TrafficOptions::gapNs(qint64 characterNs) const
{
    if (fixedGapNs > 0)
        return fixedGapNs;
    return std::max(MinimumGapNs, qint64(std::llround(GapCharacters * double(characterNs))));
}

bool continuesChunk(qint64 previousTime, const Event &event, qint64 characterNs, qint64 gapNs)
{
    const qint64 firstByteNs = event.time * 1000 - qint64(event.count) * characterNs;
    return firstByteNs - previousTime * 1000 <= gapNs;
}

TrafficScan::TrafficScan(const Record::Record &record, const TrafficOptions &options, const TrafficState &from)
    : m_record(record)
    , m_options(options)
    , m_state(from)
    , m_lines(record.events(Category::Lines))
    , m_data(record.events(Category::Data))
    , m_line(firstAfter(m_lines, from.linesAfter))
    , m_datum(firstAfter(m_data, from.dataAfter))
{
    for (quint32 &characterNs : m_state.characterNs) {
        if (characterNs == 0)
            characterNs = DefaultCharacterNs;
    }
}

quint32 TrafficScan::characterNsOf(const Record::Record &record, const Event &event)
{
    std::optional<MSCommLib::LineSettings> settings;
    if (event.kind == EventKind::On)
        settings = MSCommLib::LineSettings::parse(record.text(event.detail).section(QLatin1String("  "), 0, 0));
    else if (event.kind == EventKind::Settings && event.detail == 0) // empty detail: accepted
        settings = MSCommLib::LineSettings::parse(record.text(event.subject));
    return settings && settings->baudRate > 0 ? characterNsFor(*settings) : 0;
}

std::optional<TrafficRow> TrafficScan::next()
{
    while (m_line < m_lines.size() || m_datum < m_data.size()) {
        const bool lineFirst = m_datum == m_data.size()
            || (m_line < m_lines.size()
                && std::pair(m_lines[m_line].time, m_lines[m_line].sequence)
                    < std::pair(m_data[m_datum].time, m_data[m_datum].sequence));
        if (lineFirst) {
            const Event &event = m_lines[m_line++];
            m_state.linesAfter = event.sequence;
            takeLineEvent(event);
            if (!m_options.shows(event.channel))
                continue;
            TrafficRow row{.time = event.time, .previousTime = m_state.previousRowTime, .sequence = event.sequence};
            row.channel = event.channel;
            row.kind = event.kind;
            m_state.previousRowTime = event.time;
            return row;
        }
        if (std::optional<TrafficRow> row = takeData(m_data[m_datum]))
            return row;
    }
    return std::nullopt;
}

void TrafficScan::takeLineEvent(const Event &event)
{
    if (const quint32 characterNs = characterNsOf(m_record, event))
        m_state.characterNs.at(std::size_t(event.channel - 1)) = characterNs;
}

// Takes the bytes of a data event up to the first that begins a chunk, and
// yields that chunk's row; moves to the next event once all are taken.
std::optional<TrafficRow> TrafficScan::takeData(const Event &event)
{
    const auto finishEvent = [&] {
        m_state.dataAfter = event.sequence;
        m_state.dataOffset = 0;
        ++m_datum;
    };
    if (!m_options.shows(event.channel)) {
        finishEvent();
        return std::nullopt;
    }
    TrafficState::Stream &stream = m_state.streams.at(std::size_t(streamOf(event)));
    const qint64 characterNs = m_state.characterNs.at(std::size_t(event.channel - 1));
    const quint16 size = quint16(event.count);
    std::optional<TrafficRow> row;
    if (m_state.dataOffset == 0 && stream.fill < TrafficOptions::MaxChunkBytes
        && continuesChunk(stream.lastTime, event, stream.characterNs, m_options.gapNs(stream.characterNs))) {
        const auto taken = quint16(std::min<int>(TrafficOptions::MaxChunkBytes - stream.fill, size));
        stream.fill += quint8(taken);
        m_state.dataOffset = taken;
    } else {
        row = TrafficRow{.time = event.time,
                         .previousTime = m_state.previousRowTime,
                         .sequence = event.sequence,
                         .characterNs = quint32(characterNs),
                         .offset = m_state.dataOffset,
                         .isData = true,
                         .channel = event.channel,
                         .kind = event.kind};
        m_state.previousRowTime = event.time;
        const auto taken = quint16(std::min<int>(TrafficOptions::MaxChunkBytes, size - m_state.dataOffset));
        stream.fill = quint8(taken);
        stream.characterNs = quint32(characterNs);
        m_state.dataOffset += taken;
    }
    takeSide(event, row ? &*row : nullptr);
    stream.lastTime = event.time;
    if (m_state.dataOffset >= size)
        finishEvent();
    return row;
}

// A side's received chunk answers the other side when that spoke last: the
// answer time runs from the other's last read to this chunk's first byte.
void TrafficScan::takeSide(const Event &event, TrafficRow *row)
{
    if (event.kind != EventKind::Received || !m_options.isSide(event.channel))
        return;
    const std::size_t side = std::size_t(event.channel - 1);
    if (row && m_state.lastSide != 0 && m_state.lastSide != event.channel) {
        const qint64 firstByteNs = event.time * 1000 - qint64(event.count) * row->characterNs;
        row->answerNs = firstByteNs - m_state.sideLastTime.at(std::size_t(m_state.lastSide - 1)) * 1000;
    }
    m_state.sideLastTime.at(side) = event.time;
    m_state.lastSide = event.channel;
}

QByteArray TrafficScan::stream(const Record::Record &record, const TrafficRow &row, qsizetype count)
{
    const Record::Record::Events &data = record.events(Category::Data);
    std::size_t at = firstAfter(data, row.sequence - 1);
    if (at == data.size() || data[at].sequence != row.sequence)
        return {};
    QByteArray bytes = record.bytes(data[at]).sliced(row.offset).toByteArray();
    for (++at; at < data.size() && bytes.size() < count; ++at) {
        if (data[at].channel == row.channel && data[at].kind == row.kind)
            bytes += record.bytes(data[at]);
    }
    return bytes.left(count);
}

QByteArray TrafficScan::chunk(const Record::Record &record, const TrafficOptions &options, const TrafficRow &row,
                              std::vector<quint64> *sequences)
{
    const Record::Record::Events &data = record.events(Category::Data);
    std::size_t at = firstAfter(data, row.sequence - 1);
    if (at == data.size() || data[at].sequence != row.sequence)
        return {}; // dropped since
    const Event &first = data[at];
    if (sequences)
        sequences->push_back(first.sequence);
    QByteArray bytes = record.bytes(first)
                           .sliced(row.offset)
                           .first(std::min<qsizetype>(TrafficOptions::MaxChunkBytes, first.count - row.offset))
                           .toByteArray();
    const qint64 gapNs = options.gapNs(row.characterNs);
    // A later read of the stream that could still continue it comes within this.
    const qint64 reachUs = (gapNs + qint64(Record::MaxBytesPerEvent) * row.characterNs) / 1000 + 1;
    qint64 lastTime = first.time;
    for (++at; at < data.size() && bytes.size() < TrafficOptions::MaxChunkBytes && data[at].time <= lastTime + reachUs;
         ++at) {
        const Event &event = data[at];
        if (event.channel != first.channel || event.kind != first.kind)
            continue;
        if (!continuesChunk(lastTime, event, row.characterNs, gapNs))
            break;
        bytes +=
            record.bytes(event).first(std::min<qsizetype>(TrafficOptions::MaxChunkBytes - bytes.size(), event.count));
        if (sequences)
            sequences->push_back(event.sequence);
        lastTime = event.time;
    }
    return bytes;
}

} // namespace Sernix::History
