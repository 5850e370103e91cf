// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "vcdformat.h"

#include "record.h"

#include <algorithm>

namespace Sernix::Record {

namespace {

constexpr int WireCount = ChannelCount * LineCount;

int wireOf(int channel, Line line)
{
    return (channel - 1) * LineCount + int(line);
}

// One printable character per wire: '!' onwards.
char identifier(int wire)
{
    return char('!' + wire);
}

char levelChar(bool on)
{
    return on ? '1' : '0';
}

} // namespace

QByteArray VcdFormat::wireName(int channel, Line line)
{
    return "com" + QByteArray::number(channel) + '_' + lineName(line).toLower().toLatin1();
}

qint64 VcdFormat::toMs(qint64 time) const
{
    return std::max<qint64>(0, (time - m_startTime) / 1000);
}

QByteArray VcdFormat::begin(const Record &record, qint64 startTime, bool fromNow)
{
    m_startTime = startTime;
    QByteArray text = "$date " + record.clock().wallTime(startTime).toString(Qt::ISODateWithMs).toLatin1()
        + " $end\n$version sernix $end\n$timescale 1 ms $end\n";
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        text += "$scope module com" + QByteArray::number(channel) + " $end\n";
        for (int line = 0; line < LineCount; ++line) {
            text += "$var wire 1 " + QByteArray(1, identifier(wireOf(channel, Line(line)))) + ' '
                + wireName(channel, Line(line)) + " $end\n";
        }
        text += "$upscope $end\n";
    }
    text += "$enddefinitions $end\n#0\n$dumpvars\n";
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        const ChannelState &state = record.state(channel);
        for (int line = 0; line < LineCount; ++line) {
            const std::optional<bool> level = state.levels.at(std::size_t(line));
            const int wire = wireOf(channel, Line(line));
            m_level.at(std::size_t(wire)) = fromNow && state.live() && level ? levelChar(*level) : 'x';
            text += m_level.at(std::size_t(wire));
            text += identifier(wire);
            text += '\n';
        }
    }
    text += "$end\n";
    m_writtenMs = 0;
    return text;
}

void VcdFormat::add(const Event &event)
{
    const qint64 ms = toMs(event.time);
    switch (event.kind) {
    case EventKind::On:
    case EventKind::Off:
    case EventKind::Lost:
    case EventKind::Back:
    case EventKind::Reconnecting:
        // Nobody knows the lines until the first look after on or back.
        setChannelUnknown(ms, event.channel);
        return;
    case EventKind::Pulse:
        drawPulse(ms, event.channel, event.line, event.count);
        return;
    default:
        if (const std::optional<Line> line = lineOf(event.kind))
            change(ms, event.channel, *line, levelChar(event.level));
        return;
    }
}

void VcdFormat::change(qint64 ms, int channel, Line line, char value)
{
    const int wire = wireOf(channel, line);
    char &level = m_level.at(std::size_t(wire));
    if (level == value)
        return;
    level = value;
    m_pending.append({ms, wire, value});
}

void VcdFormat::setChannelUnknown(qint64 ms, int channel)
{
    for (int line = 0; line < LineCount; ++line)
        change(ms, channel, Line(line), 'x');
}

void VcdFormat::drawPulse(qint64 ms, int channel, Line line, quint32 counted)
{
    const char before = m_level.at(std::size_t(wireOf(channel, line)));
    if (before == 'x' || counted == 0)
        return;
    // Fewer drawn than counted keeps the count's parity, so the drawing
    // still ends at the level the look saw.
    const int transitions =
        counted > quint32(MaxDrawnTransitions) ? MaxDrawnTransitions - int(counted % 2) : int(counted);
    bool on = before == '1';
    for (int k = transitions - 1; k >= 0; --k) {
        on = !on;
        change(ms - k, channel, line, levelChar(on));
    }
}

QByteArray VcdFormat::write(qint64 upToMs, bool inclusive)
{
    std::stable_sort(m_pending.begin(), m_pending.end(), [](const Change &a, const Change &b) { return a.ms < b.ms; });
    QByteArray text;
    qsizetype done = 0;
    for (; done < m_pending.size(); ++done) {
        const Change &change = m_pending.at(done);
        if (inclusive ? change.ms > upToMs : change.ms >= upToMs)
            break;
        // What comes late (a pulse reaching back past text already written)
        // is drawn at the last time written: a file's times never go back.
        const qint64 ms = std::max(change.ms, m_writtenMs);
        if (ms != m_writtenMs)
            text += '#' + QByteArray::number(ms) + '\n';
        m_writtenMs = ms;
        text += change.value;
        text += identifier(change.wire);
        text += '\n';
    }
    m_pending.remove(0, done);
    return text;
}

QByteArray VcdFormat::take(qint64 settled)
{
    // A later event may still draw up to MaxDrawnTransitions ms before itself.
    return write(toMs(settled) - MaxDrawnTransitions, false);
}

QByteArray VcdFormat::finish(qint64 end)
{
    QByteArray text = write(std::numeric_limits<qint64>::max(), true);
    const qint64 endMs = std::max(toMs(end), m_writtenMs);
    if (endMs != m_writtenMs)
        text += '#' + QByteArray::number(endMs) + '\n';
    m_writtenMs = endMs;
    return text;
}

static_assert(WireCount <= '~' - '!' + 1);

} // namespace Sernix::Record
