// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "event.h"

#include <array>

namespace Sernix::Record {

namespace {

struct KindEntry
{
    const char *name;
    Category category;
};

// By EventKind.
constexpr std::array<KindEntry, 22> Kinds{{
    {"on", Category::Lines},       {"off", Category::Lines},         {"open-failed", Category::Lines},
    {"settings", Category::Lines}, {"handshaking", Category::Lines}, {"DCD", Category::Lines},
    {"DSR", Category::Lines},      {"CTS", Category::Lines},         {"RI", Category::Lines},
    {"DTR", Category::Lines},      {"RTS", Category::Lines},         {"pulse", Category::Lines},
    {"framing", Category::Lines},  {"parity", Category::Lines},      {"overrun", Category::Lines},
    {"break", Category::Lines},    {"received", Category::Data},     {"sent", Category::Data},
    {"lost", Category::Lines},     {"back", Category::Lines},        {"reconnecting", Category::Lines},
    {"timing", Category::Lines},
}};
static_assert(std::size_t(EventKind::Timing) + 1 == Kinds.size());
static_assert(sizeof(Event) == 40, "an event is a small fixed-size entry");

} // namespace

QString eventName(EventKind kind)
{
    return QString::fromLatin1(Kinds.at(std::size_t(kind)).name);
}

Category categoryOf(EventKind kind)
{
    return Kinds.at(std::size_t(kind)).category;
}

std::optional<Line> lineOf(EventKind kind)
{
    const int offset = int(kind) - int(EventKind::Dcd);
    if (offset < 0 || offset >= LineCount)
        return std::nullopt;
    return Line(offset);
}

EventKind levelEvent(Line line)
{
    return EventKind(int(EventKind::Dcd) + int(line));
}

QString lineName(Line line)
{
    return eventName(levelEvent(line));
}

QString pulseCountText(quint32 count)
{
    return count == 0 ? QStringLiteral("?") : QString::number(count);
}

bool isError(EventKind kind)
{
    return kind >= EventKind::Framing && kind <= EventKind::Break;
}

void apply(ChannelState &state, const Event &event)
{
    switch (event.kind) {
    case EventKind::On:
    case EventKind::Back:
        // The first look after it records every level.
        state = ChannelState{Presence::On, {}};
        break;
    case EventKind::Off:
    case EventKind::OpenFailed:
        state = ChannelState{Presence::Off, {}};
        break;
    case EventKind::Lost:
    case EventKind::Reconnecting:
        state = ChannelState{Presence::Lost, {}};
        break;
    default:
        if (const std::optional<Line> line = lineOf(event.kind); line && state.live())
            state.levels.at(std::size_t(*line)) = event.level;
        break;
    }
}

} // namespace Sernix::Record
