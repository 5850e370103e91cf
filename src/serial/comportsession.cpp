// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "comportsession.h"

#include <algorithm>
#include <utility>

namespace MSCommLib {

namespace {

using namespace Telnet;

Parity wireParity(LineSettings::Parity parity)
{
    switch (parity) {
    case LineSettings::Parity::None:
        return Parity::None;
    case LineSettings::Parity::Odd:
        return Parity::Odd;
    case LineSettings::Parity::Even:
        return Parity::Even;
    case LineSettings::Parity::Mark:
        return Parity::Mark;
    case LineSettings::Parity::Space:
        return Parity::Space;
    }
    Q_UNREACHABLE();
    return Parity::None;
}

StopSize wireStopSize(LineSettings::StopBits stopBits)
{
    switch (stopBits) {
    case LineSettings::StopBits::One:
        return StopSize::One;
    case LineSettings::StopBits::OneAndHalf:
        return StopSize::OneAndHalf;
    case LineSettings::StopBits::Two:
        return StopSize::Two;
    }
    Q_UNREACHABLE();
    return StopSize::One;
}

QByteArray wire(const ComPortSession::Setting &setting)
{
    if (setting.command == ComPortCommand::SetBaudRate)
        return setBaudRate(setting.value);
    return comPortCommand(setting.command, quint8(setting.value));
}

} // namespace

std::optional<Control> ComPortSession::wireFlow(Handshake handshake)
{
    switch (handshake) {
    case Handshake::None:
        return Control::NoFlow;
    case Handshake::XonXoff:
        return Control::XonXoffFlow;
    case Handshake::Rts:
        return Control::HardwareFlow;
    case Handshake::RtsXonXoff:
        return std::nullopt;
    }
    return std::nullopt;
}

void ComPortSession::feed(QByteArrayView wire, qint64 now, QByteArray &data)
{
    for (const Event &event : m_decoder.feed(wire, data))
        handle(event, now);
}

void ComPortSession::handle(const Event &event, qint64 now)
{
    if (event.command != Command::Sb) {
        m_outgoing += m_options.answer(event.command, event.option);
        return;
    }
    if (event.option != Option::ComPort)
        return;
    const std::optional<ComPortReply> reply = parseComPortReply(event.payload);
    if (!reply)
        return;
    switch (reply->command) {
    case ComPortCommand::NotifyModemState:
        m_modemState = reply->modemState();
        countTransitions(m_modemState);
        if (m_onModemState)
            m_onModemState();
        break;
    case ComPortCommand::Signature:
        // No text: the server asks who we are, which it hears once.
        if (reply->signature.isEmpty() && !std::exchange(m_signatureSent, true))
            m_outgoing += comPortCommand(ComPortCommand::Signature, "Sernix");
        break;
    case ComPortCommand::SetControl:
        // Only a flow control value answers a flow control request; DTR,
        // RTS and BREAK replies share the command.
        if (reply->value > quint32(Control::HardwareFlow))
            break;
        [[fallthrough]];
    default:
        answer(*reply, now);
        break;
    }
}

QString ComPortSession::misconduct() const
{
    if (m_decoder.sawOverlongSubnegotiation())
        return QStringLiteral("the server sent a Telnet subnegotiation longer than %1 bytes")
            .arg(Decoder::MaxPayloadSize);
    if (m_decoder.controlBytes() - m_controlBytesAtLook > MaxControlBytesPerLook)
        return QStringLiteral("the server sent more than %1 KiB of Telnet commands without data")
            .arg(MaxControlBytesPerLook / 1024);
    return {};
}

void ComPortSession::watchModemLines()
{
    m_outgoing += setModemStateMask(ModemState::fromInt(0xff));
}

QList<ComPortSession::Setting> ComPortSession::settingsOf(const LineSettings &settings, std::optional<Control> flow)
{
    QList<Setting> asked{{ComPortCommand::SetBaudRate, quint32(settings.baudRate)},
                         {ComPortCommand::SetDataSize, quint32(settings.dataBits)},
                         {ComPortCommand::SetParity, quint32(wireParity(settings.parity))},
                         {ComPortCommand::SetStopSize, quint32(wireStopSize(settings.stopBits))}};
    if (flow)
        asked.append(flowOf(*flow));
    return asked;
}

QList<ComPortSession::Setting> ComPortSession::flowOf(Control flow)
{
    QList<Setting> asked{{ComPortCommand::SetControl, quint32(Control::NoFlow), flow == Control::NoFlow}};
    if (flow != Control::NoFlow)
        asked.append({ComPortCommand::SetControl, quint32(flow)});
    return asked;
}

ComPortSession::RequestId ComPortSession::request(const QList<Setting> &settings, qint64 deadline)
{
    const RequestId id = m_nextId++;
    for (qsizetype index = 0; index < settings.size(); ++index) {
        m_outgoing += wire(settings.at(index));
        std::deque<Owed> &owed = m_owed[settings.at(index).command];
        owed.push_back({id, index, deadline});
        if (owed.size() > std::size_t(MaxRequests))
            owed.pop_front();
    }
    m_requests.emplace(id,
                       Request{settings, QList<std::optional<quint32>>(settings.size()), deadline, Outcome::Pending});
    if (m_requests.size() > std::size_t(MaxRequests))
        m_requests.erase(m_requests.begin());
    return id;
}

void ComPortSession::setLine(Control control)
{
    m_outgoing += setControl(control);
}

ComPortSession::Outcome ComPortSession::outcome(RequestId id, qint64 now)
{
    dropExpired(now);
    const auto found = m_requests.find(id);
    if (found == m_requests.end())
        return Outcome::TimedOut;
    Request &request = found->second;
    if (request.settled == Outcome::Pending)
        request.settled = settle(request, now);
    return request.settled;
}

// A request ends once, as it first turns out.
ComPortSession::Outcome ComPortSession::settle(const Request &request, qint64 now) const
{
    for (qsizetype index = 0; index < request.asked.size(); ++index) {
        const Setting &asked = request.asked.at(index);
        if (asked.judged && request.answers.at(index) && *request.answers.at(index) != asked.value)
            return Outcome::Altered;
    }
    if (std::all_of(request.answers.cbegin(), request.answers.cend(), [](const auto &a) { return a.has_value(); }))
        return Outcome::Confirmed;
    if (comPortRefused())
        return Outcome::Refused;
    return now < request.deadline ? Outcome::Pending : Outcome::TimedOut;
}

qint64 ComPortSession::deadline(RequestId id) const
{
    const auto found = m_requests.find(id);
    return found == m_requests.end() ? 0 : found->second.deadline;
}

ModemInputs ComPortSession::modemInputs() const
{
    return ModemInputs{
        .cd = m_modemState.testFlag(ModemStateFlag::CarrierDetect),
        .cts = m_modemState.testFlag(ModemStateFlag::ClearToSend),
        .dsr = m_modemState.testFlag(ModemStateFlag::DataSetReady),
        .ri = m_modemState.testFlag(ModemStateFlag::RingIndicator),
    };
}

void ComPortSession::answer(const ComPortReply &reply, qint64 now)
{
    dropExpired(now);
    const auto owed = m_owed.find(reply.command);
    if (owed == m_owed.end() || owed->second.empty())
        return; // stale, or never asked for
    const Owed front = owed->second.front();
    owed->second.pop_front();
    if (const auto request = m_requests.find(front.id); request != m_requests.end())
        request->second.answers[front.index] = reply.value;
}

// A reply that comes after its request was given up must not pass for the
// answer to a later one.
void ComPortSession::dropExpired(qint64 now)
{
    for (auto &[command, owed] : m_owed)
        std::erase_if(owed, [&](const Owed &entry) { return now >= entry.deadline; });
}

void ComPortSession::countTransitions(ModemState report)
{
    const std::pair<ModemStateFlag, LineEvent> deltas[] = {
        {ModemStateFlag::CarrierDetectChanged, LineEvent::Dcd},
        {ModemStateFlag::DataSetReadyChanged, LineEvent::Dsr},
        {ModemStateFlag::ClearToSendChanged, LineEvent::Cts},
        {ModemStateFlag::RingTrailingEdge, LineEvent::Ri},
    };
    for (const auto &[flag, event] : deltas) {
        if (report.testFlag(flag))
            ++*m_transitions[event];
    }
}

} // namespace MSCommLib
