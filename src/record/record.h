// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "bytestore.h"
#include "clock.h"
#include "event.h"
#include "texttable.h"

#include <QObject>

#include <array>
#include <deque>
#include <optional>

namespace Sernix::Record {

// How much memory each category of events may take; the oldest go first.
struct Budget
{
    qint64 lineBytes = qint64(8) * 1024 * 1024;
    qint64 dataBytes = qint64(56) * 1024 * 1024;
};

// Everything that happened on the four channels, in time order, in bounded
// memory. Events are kept per category in one ordered sequence each, so a
// time range is found by binary search and read without copying. What a
// category counts against its budget is what it holds: its entries, and the
// texts or the byte store they refer to.
class Record : public QObject
{
    Q_OBJECT
public:
    using Events = std::deque<Event>;
    // A run of held events, for range-for; valid until the next append.
    struct EventRange
    {
        Events::const_iterator first;
        Events::const_iterator last;
        Events::const_iterator begin() const { return first; }
        Events::const_iterator end() const { return last; }
        qsizetype size() const { return last - first; }
        bool empty() const { return first == last; }
    };

    explicit Record(Budget budget = {}, QObject *parent = nullptr);
    explicit Record(const Clock &clock, Budget budget = {}, QObject *parent = nullptr);

    const Clock &clock() const { return m_clock; }
    qint64 now() const { return m_clock.now(); }

    // Take an event, stamped now unless a time is given. A time before the
    // last event's of its category is taken as that time, so the order holds.
    // On, off, open-failed, settings, handshaking, lost, back, reconnecting:
    void appendStatus(int channel, EventKind kind, const QString &subject = {}, const QString &detail = {},
                      std::optional<qint64> time = {});
    // atEdge: the time is the change's own (Event::atEdge).
    void appendLevel(int channel, Line line, bool level, std::optional<qint64> time = {}, bool atEdge = false);
    void appendPulse(int channel, Line line, quint32 transitions, std::optional<qint64> time = {}, bool atEdge = false);
    void appendError(int channel, EventKind kind, quint32 count, std::optional<qint64> time = {});
    // Received or sent, as events of at most MaxBytesPerEvent bytes.
    void appendData(int channel, EventKind kind, QByteArrayView bytes, std::optional<qint64> time = {});

    // What an event refers to; valid while the event is held.
    QByteArrayView bytes(const Event &event) const;
    const QString &text(TextId id) const { return m_texts.text(id); }

    const Events &events(Category category) const { return m_events[std::size_t(category)]; }
    // Data events go in runs of DataRun by the order taken; for a run held
    // whole the record knows which data lanes (dataLane()) its events are
    // on, so that a view of a million events need not visit each one.
    // index: in events(Category::Data).
    static constexpr qsizetype DataRun = 16;
    static int dataLane(int channel, EventKind kind) { return (channel - 1) * 2 + (kind == EventKind::Sent ? 1 : 0); }
    bool startsDataRun(qsizetype index) const { return (m_dataDropped + quint64(index)) % DataRun == 0; }
    quint8 dataRunLanes(qsizetype index) const
    {
        return m_runLanes.at(std::size_t((m_dataDropped + quint64(index)) / DataRun - m_dataDropped / DataRun));
    }
    // The events with from <= time < to.
    EventRange range(Category category, qint64 from, qint64 to) const;
    // The events taken after the one numbered sequence (0: all held).
    EventRange after(Category category, quint64 sequence) const;
    quint64 lastSequence() const { return m_sequence; }

    // The time from which the record holds every event of a category: its
    // start, or just after the newest event it had to drop.
    qint64 heldSince(Category category) const { return m_heldSince[std::size_t(category)]; }
    qint64 footprint(Category category) const { return m_footprint[std::size_t(category)]; }
    qint64 footprint() const { return footprint(Category::Lines) + footprint(Category::Data); }
    const Budget &budget() const { return m_budget; }

    const ChannelState &state(int channel) const { return m_states.at(std::size_t(channel - 1)); }

Q_SIGNALS:
    // After every event taken; cheap when nothing is connected.
    void appended(int channel, Sernix::Record::Category category);

private:
    void take(Event event, std::optional<qint64> time);
    void dropOldest(Category category);
    qint64 measure(Category category) const;

    Budget m_budget;
    Clock m_clock;
    quint64 m_sequence = 0;
    std::array<Events, 2> m_events;
    std::array<qint64, 2> m_footprint{};
    std::array<qint64, 2> m_heldSince{};
    TextTable m_texts;             // of the line events
    ByteStore m_bytes;             // of the data events
    std::deque<quint8> m_runLanes; // by data run, from the oldest held in part
    quint64 m_dataTaken = 0;
    quint64 m_dataDropped = 0;
    std::array<ChannelState, ChannelCount> m_states;
};

} // namespace Sernix::Record
