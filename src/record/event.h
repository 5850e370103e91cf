// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace Sernix::Record {

// What happened on a channel. The names are those the CSV file writes.
enum class EventKind : quint8 {
    On,          // subject: the device; detail: settings and handshaking as the caption shows them
    Off,         //
    OpenFailed,  // detail: the message and the reason
    Settings,    // subject: as the caption shows it; detail "Unacceptable" when refused
    Handshaking, // subject: as the caption shows it; detail "Unacceptable" when refused
    Dcd,         // the six lines, with their level: inputs as seen at a look,
    Dsr,         //   outputs as written
    Cts,
    Ri,
    Dtr,
    Rts,
    Pulse,   // line, and count: transitions counted between two looks or wakes (0: not counted)
    Framing, // the four errors: count added since the previous look
    Parity,
    Overrun,
    Break,
    Received, // bytes: what the port read (at most MaxBytesPerEvent)
    Sent,     // bytes: what was handed to the port
    Lost,     // detail: the reason
    Back,
    Reconnecting,
    Timing, // subject: where the line times come from ("edge", "report", "look"); detail: their resolution
};

// Events of different weight keep separate budgets, so that a flood of data
// never pushes the line history out.
enum class Category { Lines, Data };

// The six lines, in the order the files list them; Line n is EventKind::Dcd + n.
enum class Line : quint8 { Dcd, Dsr, Cts, Ri, Dtr, Rts };
inline constexpr int LineCount = 6;

inline constexpr int ChannelCount = 4;
inline constexpr int MaxBytesPerEvent = 256;

// A text the record keeps once however many events name it (TextTable);
// 0 is the empty text.
using TextId = quint32;

// One entry of the record, the same size whatever its kind, holding no heap
// memory of its own: texts are kept once by the record and bytes in its byte
// store, both referenced here. Times are microseconds of monotonic time since
// the record began (Clock).
struct Event
{
    qint64 time = 0;
    quint64 sequence = 0; // increases by one with every event the record takes
    quint64 bytesAt = 0;  // received and sent: where the bytes lie in the record's store
    quint32 count = 0;    // pulse: transitions; errors: how many; received and sent: bytes
    TextId subject = 0;   // on: the device; settings, handshaking: as shown
    TextId detail = 0;    // on: the caption; the message or reason of the others
    quint8 channel = 1;   // 1 to 4
    EventKind kind = EventKind::On;
    Line line = Line::Dcd;  // pulse; the six line events have it too
    bool level : 1 = false; // the six line events
    // Stamped at the change itself (a watcher woken by the driver), to the
    // microsecond: the files write such a time with six decimals, not three.
    bool atEdge : 1 = false;
};

QString eventName(EventKind kind); // "on", "open-failed", "DCD", "received", ...
Category categoryOf(EventKind kind);
std::optional<Line> lineOf(EventKind kind); // the line a level event is about
EventKind levelEvent(Line line);
QString lineName(Line line);           // "DCD" .. "RTS"
QString pulseCountText(quint32 count); // "2", or "?" where the driver keeps no count
bool isError(EventKind kind);          // framing, parity, overrun, break

// Whether a channel's lines could be seen at some moment.
enum class Presence : quint8 {
    Unknown, // before what the record holds
    Off,     // not ticked, or its opening failed
    On,      // ticked, the device present
    Lost,    // ticked, the device away or its connection reconnecting
};

// What the events so far tell of a channel's lines: whether they can be seen,
// and each line's last recorded level (empty while unknown: off, lost, or on
// and not yet looked at).
struct ChannelState
{
    Presence presence = Presence::Unknown;
    std::array<std::optional<bool>, LineCount> levels{};

    bool live() const { return presence == Presence::On; }
};

// What an event of its channel does to that channel's state: the one rule by
// which the record, its feed and the history window follow the lines.
void apply(ChannelState &state, const Event &event);

} // namespace Sernix::Record
