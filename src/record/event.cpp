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
constexpr std::array<KindEntry, 21> Kinds{{
    {"on", Category::Lines},       {"off", Category::Lines},         {"open-failed", Category::Lines},
    {"settings", Category::Lines}, {"handshaking", Category::Lines}, {"DCD", Category::Lines},
    {"DSR", Category::Lines},      {"CTS", Category::Lines},         {"RI", Category::Lines},
    {"DTR", Category::Lines},      {"RTS", Category::Lines},         {"pulse", Category::Lines},
    {"framing", Category::Lines},  {"parity", Category::Lines},      {"overrun", Category::Lines},
    {"break", Category::Lines},    {"received", Category::Data},     {"sent", Category::Data},
    {"lost", Category::Lines},     {"back", Category::Lines},        {"reconnecting", Category::Lines},
}};
static_assert(std::size_t(EventKind::Reconnecting) + 1 == Kinds.size());

// What a heap block costs beyond its payload: the container's header and
// the allocator's bookkeeping.
constexpr qint64 BlockOverhead = 48;

qint64 blockSize(qint64 payload)
{
    return payload == 0 ? 0 : payload + BlockOverhead;
}

} // namespace

qint64 Event::footprint() const
{
    return qint64(sizeof(Event)) + blockSize(value.size() * 2) + blockSize(text.size() * 2) + blockSize(bytes.size());
}

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

} // namespace Sernix::Record
