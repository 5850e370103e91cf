// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "recordfeed.h"

#include "controls/messages.h"
#include "serial/handshake.h"

namespace Sernix::Channel {

namespace {

using Controls::PortNotFound;
using Controls::Unacceptable;
using Record::EventKind;
using Record::Line;

// The counters of the input lines and of the errors, by what they record.
struct CountedLine
{
    MSCommLib::LineEvent counter;
    Line line;
    bool MSCommLib::ModemInputs::*level;
};
constexpr std::array<CountedLine, 4> InputLines{{
    {MSCommLib::LineEvent::Dcd, Line::Dcd, &MSCommLib::ModemInputs::cd},
    {MSCommLib::LineEvent::Dsr, Line::Dsr, &MSCommLib::ModemInputs::dsr},
    {MSCommLib::LineEvent::Cts, Line::Cts, &MSCommLib::ModemInputs::cts},
    {MSCommLib::LineEvent::Ri, Line::Ri, &MSCommLib::ModemInputs::ri},
}};

struct CountedError
{
    MSCommLib::LineEvent counter;
    EventKind kind;
};
constexpr std::array<CountedError, 4> Errors{{
    {MSCommLib::LineEvent::Framing, EventKind::Framing},
    {MSCommLib::LineEvent::Parity, EventKind::Parity},
    {MSCommLib::LineEvent::Overrun, EventKind::Overrun},
    {MSCommLib::LineEvent::Break, EventKind::Break},
}};

// What a timing event says of each source of line times.
QString sourceName(MSCommLib::LineTimes source)
{
    switch (source) {
    case MSCommLib::LineTimes::Edge:
        return QStringLiteral("edge");
    case MSCommLib::LineTimes::Report:
        return QStringLiteral("report");
    case MSCommLib::LineTimes::Look:
        break;
    }
    return QStringLiteral("look");
}

} // namespace

RecordFeed::RecordFeed(Record::Record &record, int channel, MSCommLib::MSComm &port, QObject *parent)
    : QObject(parent)
    , m_record(record)
    , m_channel(channel)
    , m_port(port)
{
    using MSCommLib::MSComm;
    connect(&port, &MSComm::opened, this, &RecordFeed::onOpened);
    connect(&port, &MSComm::closed, this, &RecordFeed::onClosed);
    connect(&port, &MSComm::openFailed, this, [this](const QString &reason) {
        m_record.appendStatus(m_channel, EventKind::OpenFailed, {}, PortNotFound + QLatin1String(": ") + reason);
    });
    connect(&port, &MSComm::deviceStateChanged, this, &RecordFeed::onDeviceStateChanged);
    connect(&port, &MSComm::settingsWritten, this, [this](const QString &settings, bool accepted) {
        if (m_port.PortOpen())
            m_record.appendStatus(m_channel, EventKind::Settings, settings, accepted ? QString() : Unacceptable);
    });
    connect(&port, &MSComm::handshakingWritten, this, [this](int mode, bool accepted) {
        if (m_port.PortOpen())
            m_record.appendStatus(m_channel, EventKind::Handshaking, MSCommLib::handshakeName(mode),
                                  accepted ? QString() : Unacceptable);
    });
    connect(&port, &MSComm::dtrWritten, this, [this](bool on) { onOutputLine(Line::Dtr, on); });
    connect(&port, &MSComm::rtsWritten, this, [this](bool on) { onOutputLine(Line::Rts, on); });
    connect(&port, &MSComm::dataReceived, this,
            [this](const QByteArray &bytes) { m_record.appendData(m_channel, EventKind::Received, bytes); });
    connect(&port, &MSComm::dataSent, this,
            [this](const QByteArray &bytes) { m_record.appendData(m_channel, EventKind::Sent, bytes); });
    connect(&port, &MSComm::looked, this, &RecordFeed::onLook);
    connect(&port, &MSComm::linesChanged, this, &RecordFeed::onLinesChanged);
}

QString RecordFeed::caption() const
{
    return m_port.Settings() + QLatin1String("  ") + MSCommLib::handshakeName(m_port.Handshaking());
}

void RecordFeed::onOpened()
{
    m_record.appendStatus(m_channel, EventKind::On, m_port.deviceName(), caption());
    recordTiming();
    m_fullLook = true;
}

void RecordFeed::recordTiming()
{
    const MSCommLib::LineTiming timing = m_port.lineTiming();
    m_changesTimed = timing.source != MSCommLib::LineTimes::Look;
    m_record.appendStatus(m_channel, EventKind::Timing, sourceName(timing.source), timing.resolution);
}

void RecordFeed::onClosed()
{
    m_record.appendStatus(m_channel, EventKind::Off);
}

void RecordFeed::onDeviceStateChanged(MSCommLib::DeviceState state, const QString &reason)
{
    switch (state) {
    case MSCommLib::DeviceState::Present:
        m_record.appendStatus(m_channel, EventKind::Back);
        recordTiming(); // the device back may be served by another driver
        m_fullLook = true;
        return;
    case MSCommLib::DeviceState::Reconnecting:
        m_record.appendStatus(m_channel, EventKind::Reconnecting, {}, reason);
        return;
    default:
        m_record.appendStatus(m_channel, EventKind::Lost, {}, reason);
        return;
    }
}

void RecordFeed::onLook(const MSCommLib::MSComm::Look &look)
{
    if (!state().live())
        return;
    const qint64 now = m_record.now();
    const bool full = std::exchange(m_fullLook, false);
    for (const CountedLine &input : InputLines) {
        const bool level = look.inputs.*input.level;
        const std::optional<bool> before = state().levels.at(std::size_t(input.line));
        // The port's own changes have recorded these; the look fills in
        // only what none has shown yet.
        if (m_changesTimed && before)
            continue;
        const std::optional<quint32> count = look.sinceLastLook ? (*look.sinceLastLook)[input.counter] : std::nullopt;
        // More transitions than the level shows: the line went and came back.
        if (before && count && *count > (level != *before ? 1u : 0u))
            m_record.appendPulse(m_channel, input.line, *count, now);
        if (before != level)
            m_record.appendLevel(m_channel, input.line, level, now);
    }
    if (full) {
        recordLevel(Line::Dtr, m_port.DTREnable());
        recordLevel(Line::Rts, m_port.RTSEnable());
    }
    if (!look.sinceLastLook)
        return;
    for (const CountedError &error : Errors) {
        const std::optional<quint32> count = (*look.sinceLastLook)[error.counter];
        if (count && *count > 0)
            m_record.appendError(m_channel, error.kind, *count, now);
    }
}

void RecordFeed::onLinesChanged(const MSCommLib::LineChange &change)
{
    if (!state().live())
        return;
    const qint64 time = m_record.clock().fromSteadyNs(change.timeNs);
    bool anyMoved = false;
    for (const CountedLine &input : InputLines) {
        const bool level = change.inputs.*input.level;
        const std::optional<bool> before = state().levels.at(std::size_t(input.line));
        const std::optional<quint32> count = change.transitions ? (*change.transitions)[input.counter] : std::nullopt;
        if (before && count && *count > (level != *before ? 1u : 0u))
            m_record.appendPulse(m_channel, input.line, *count, time, true);
        if (before != level) {
            m_record.appendLevel(m_channel, input.line, level, time, true);
            anyMoved = true;
        }
    }
    // The driver woke for a line that moved and came back, and keeps no
    // counts to say which or how often: a pulse of unknown count on each.
    if (!change.transitions && !anyMoved) {
        for (const CountedLine &input : InputLines)
            m_record.appendPulse(m_channel, input.line, 0, time, true);
    }
}

void RecordFeed::onOutputLine(Line line, bool on)
{
    // Before the first look after on or back, that look records it.
    if (state().live() && !m_fullLook)
        recordLevel(line, on);
}

void RecordFeed::recordLevel(Line line, bool on)
{
    if (state().levels.at(std::size_t(line)) != on)
        m_record.appendLevel(m_channel, line, on);
}

} // namespace Sernix::Channel
