// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace Sernix::Record {

// What happened on a channel. The names are those the CSV file writes.
enum class EventKind {
    On,          // value: the device; text: settings and handshaking as the caption shows them
    Off,         //
    OpenFailed,  // text: the message and the reason
    Settings,    // value: as the caption shows it; text "Unacceptable" when refused
    Handshaking, // value: as the caption shows it; text "Unacceptable" when refused
    Dcd,         // the six lines, value "1" or "0": inputs as seen at a look,
    Dsr,         //   outputs as written
    Cts,
    Ri,
    Dtr,
    Rts,
    Pulse,   // value: the line ("DCD"); text: transitions counted between two looks
    Framing, // the four errors: value the count added since the previous look
    Parity,
    Overrun,
    Break,
    Received, // bytes: what the port read (at most MaxBytesPerEvent)
    Sent,     // bytes: what was handed to the port
    Lost,     // text: the reason
    Back,
    Reconnecting,
};

// Events of different weight keep separate budgets, so that a flood of data
// never pushes the line history out.
enum class Category { Lines, Data };

// The six lines, in the order the files list them; Line n is EventKind::Dcd + n.
enum class Line { Dcd, Dsr, Cts, Ri, Dtr, Rts };
inline constexpr int LineCount = 6;

inline constexpr int ChannelCount = 4;
inline constexpr int MaxBytesPerEvent = 256;

// Times are microseconds of monotonic time since the record began (Clock).
struct Event
{
    qint64 time = 0;
    quint64 sequence = 0; // increases by one with every event the record takes
    int channel = 1;      // 1 to 4
    EventKind kind = EventKind::On;
    QString value;
    QString text;
    QByteArray bytes; // received and sent only

    // What the event costs the record's budget, heap included.
    qint64 footprint() const;
};

QString eventName(EventKind kind); // "on", "open-failed", "DCD", "received", ...
Category categoryOf(EventKind kind);
std::optional<Line> lineOf(EventKind kind); // the line a level event is about
EventKind levelEvent(Line line);
QString lineName(Line line); // "DCD" .. "RTS"

} // namespace Sernix::Record
