// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "connectorstatus.h"

#include "linetext.h"

#include "controls/fittedlabel.h"
#include "controls/pintextbox.h"
#include "controls/pulsemark.h"
#include "serial/mscomm.h"

#include <QGroupBox>

namespace Sernix::Channel::ConnectorStatus {

using namespace Sernix::Controls;

namespace {

using MSCommLib::LineEvent;

struct EventName
{
    LineEvent event;
    const char *name;
};
constexpr std::array<EventName, 4> ModemEvents{{
    {LineEvent::Dcd, "DCD"},
    {LineEvent::Dsr, "DSR"},
    {LineEvent::Cts, "CTS"},
    {LineEvent::Ri, "RI"},
}};
constexpr std::array<EventName, 4> ErrorEvents{{
    {LineEvent::Framing, "framing"},
    {LineEvent::Parity, "parity"},
    {LineEvent::Overrun, "overrun"},
    {LineEvent::Break, "break"},
}};

const QString NoCounters = QStringLiteral("no counters");

QString stateText(MSCommLib::DeviceState state)
{
    using MSCommLib::DeviceState;
    switch (state) {
    case DeviceState::Present:
        return {};
    case DeviceState::Lost:
        return QStringLiteral("device lost");
    case DeviceState::Busy:
        return QStringLiteral("lost, in use elsewhere");
    case DeviceState::OtherAdapter:
        return QStringLiteral("lost, other adapter");
    case DeviceState::Reconnecting:
        return QStringLiteral("lost, reconnecting");
    }
    return {};
}

QString listed(const MSCommLib::LineCounts &counts, const std::array<EventName, 4> &events)
{
    QStringList items;
    for (const EventName &event : events) {
        const std::optional<quint32> count = counts[event.event];
        items << QStringLiteral("%1 %2").arg(QLatin1String(event.name),
                                             count ? QString::number(*count) : QStringLiteral("not counted"));
    }
    return items.join(QLatin1String(", "));
}

// A pulse: the line moved more often than the change of its level explains.
// Without a level from the previous look, one move is the change itself.
bool wentAndCameBack(quint32 moves, const QString &before, const QString &now)
{
    const bool levelChanged = before.isEmpty() || LineText::readsTrue(before) != LineText::readsTrue(now);
    return moves > (levelChanged ? 1U : 0U);
}

void setPanelToolTip(QWidget *panel, const QString &text)
{
    if (panel->toolTip() != text)
        panel->setToolTip(text);
}

} // namespace

LevelsBefore levelsBefore(const ChannelControls &channel)
{
    LevelsBefore levels;
    for (std::size_t i = 0; i < MarkedLines.size(); ++i)
        levels.at(i) = channel.pin(MarkedLines.at(i).pin)->Text();
    return levels;
}

void refresh(const ChannelControls &channel, const LevelsBefore &before)
{
    MSCommLib::MSComm &port = *channel.serialControl;
    channel.deviceState->setFullText(stateText(port.deviceState()));

    std::optional<MSCommLib::MSComm::LineEventReport> report;
    try {
        report = port.LineEvents();
    } catch (const MSCommLib::CommError &) {
        // Like a failed read of a line: the panel keeps what it said; a mark
        // is for one tick only.
        for (const MarkedLine &line : MarkedLines)
            channel.pulseMark(line.pin)->hide();
        return;
    }
    for (std::size_t i = 0; i < MarkedLines.size(); ++i) {
        const MarkedLine &line = MarkedLines.at(i);
        const std::optional<quint32> moves = report ? report->sinceLastLook[line.event] : std::nullopt;
        channel.pulseMark(line.pin)->setVisible(
            moves && wentAndCameBack(*moves, before.at(i), channel.pin(line.pin)->Text()));
    }
    channel.lineEvents->setFullText(report ? errorsText(report->total) : NoCounters);
    setPanelToolTip(channel.connectorPanel, countsText(report ? std::optional(report->total) : std::nullopt));
}

void showConnecting(const ChannelControls &channel)
{
    channel.deviceState->setFullText(QStringLiteral("connecting"));
    channel.deviceState->repaint();
}

void clear(const ChannelControls &channel)
{
    channel.deviceState->setFullText(QString());
    channel.lineEvents->setFullText(QString());
    for (const MarkedLine &line : MarkedLines)
        channel.pulseMark(line.pin)->hide();
    setPanelToolTip(channel.connectorPanel, QString());
}

QString countsText(const std::optional<MSCommLib::LineCounts> &counts)
{
    if (!counts)
        return NoCounters;
    return listed(*counts, ModemEvents) + QLatin1String("; ") + listed(*counts, ErrorEvents);
}

QString errorsText(const MSCommLib::LineCounts &counts)
{
    QStringList items;
    for (const EventName &event : ErrorEvents) {
        if (const std::optional<quint32> count = counts[event.event]; count && *count != 0)
            items << QStringLiteral("%1 %2").arg(QLatin1String(event.name)).arg(*count);
    }
    return items.join(QLatin1String("  "));
}

QString deviceStateText(MSCommLib::DeviceState state)
{
    return stateText(state);
}

} // namespace Sernix::Channel::ConnectorStatus
