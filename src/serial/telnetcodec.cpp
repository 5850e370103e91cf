// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "telnetcodec.h"

#include <QtEndian>

#include <algorithm>
#include <utility>

namespace MSCommLib::Telnet {

namespace {

constexpr char Iac = char(Command::Iac);

bool isNegotiation(quint8 byte)
{
    return byte >= quint8(Command::Will) && byte <= quint8(Command::Dont);
}

} // namespace

QByteArray escaped(QByteArrayView data)
{
    return data.toByteArray().replace(Iac, QByteArrayView("\xff\xff"));
}

QByteArray negotiation(Command verb, Option option)
{
    Q_ASSERT(isNegotiation(quint8(verb)));
    const char wire[] = {Iac, char(verb), char(option)};
    return QByteArray(wire, sizeof wire);
}

QByteArray comPortCommand(ComPortCommand command, QByteArrayView value)
{
    QByteArray wire;
    wire.reserve(6 + 2 * value.size());
    wire.append(Iac).append(char(Command::Sb)).append(char(Option::ComPort)).append(char(command));
    wire.append(escaped(value));
    return wire.append(Iac).append(char(Command::Se));
}

QByteArray comPortCommand(ComPortCommand command, quint8 value)
{
    return comPortCommand(command, QByteArrayView(reinterpret_cast<const char *>(&value), 1));
}

QByteArray setBaudRate(quint32 bitsPerSecond)
{
    char value[4];
    qToBigEndian(bitsPerSecond, value);
    return comPortCommand(ComPortCommand::SetBaudRate, QByteArrayView(value, sizeof value));
}

QByteArray setDataSize(quint8 bits)
{
    return comPortCommand(ComPortCommand::SetDataSize, bits);
}

QByteArray setParity(Parity parity)
{
    return comPortCommand(ComPortCommand::SetParity, quint8(parity));
}

QByteArray setStopSize(StopSize size)
{
    return comPortCommand(ComPortCommand::SetStopSize, quint8(size));
}

QByteArray setControl(Control control)
{
    return comPortCommand(ComPortCommand::SetControl, quint8(control));
}

QByteArray setModemStateMask(ModemState mask)
{
    return comPortCommand(ComPortCommand::SetModemStateMask, quint8(mask.toInt()));
}

QList<Event> Decoder::feed(QByteArrayView chunk, QByteArray &data)
{
    QList<Event> events;
    const qsizetype before = data.size();
    decode(chunk, data, events);
    m_wireBytes += chunk.size();
    m_dataBytes += data.size() - before;
    return events;
}

void Decoder::decode(QByteArrayView chunk, QByteArray &data, QList<Event> &events)
{
    for (auto at = chunk.begin(); at != chunk.end(); ++at) {
        const auto byte = quint8(*at);
        switch (m_state) {
        case State::Data: {
            // Data is the bulk of the stream: copy it up to the next IAC at once.
            const auto iac = std::find(at, chunk.end(), Iac);
            data.append(QByteArrayView(at, iac));
            if (iac == chunk.end())
                return;
            at = iac;
            m_state = State::Command;
            break;
        }
        case State::Command:
            command(byte, data);
            break;
        case State::Option:
            events.append({m_verb, Option(byte), {}});
            m_state = State::Data;
            break;
        case State::SubOption:
            ++m_subLength;
            m_subOption = Option(byte);
            m_state = State::SubData;
            break;
        case State::SubData:
            ++m_subLength;
            if (byte == quint8(Command::Iac))
                m_state = State::SubCommand;
            else
                subByte(byte);
            break;
        case State::SubCommand:
            ++m_subLength;
            if (byte == quint8(Command::Iac)) {
                subByte(byte);
                m_state = State::SubData;
            } else if (byte == quint8(Command::Se)) {
                if (m_subOverflow)
                    dropSubnegotiation();
                else
                    events.append({Command::Sb, m_subOption, std::exchange(m_payload, {})});
                m_state = State::Data;
            } else {
                // The peer left the subnegotiation without IAC SE, so its
                // payload may not be whole: drop it. The IAC starts a command
                // of its own, so whatever follows is not lost with it.
                m_subLength -= 2;
                dropSubnegotiation();
                command(byte, data);
            }
            break;
        }
    }
}

void Decoder::command(quint8 byte, QByteArray &data)
{
    m_state = State::Data;
    if (byte == quint8(Command::Iac)) {
        data.append(Iac);
        ++m_escapedData;
    } else if (isNegotiation(byte)) {
        m_verb = Command(byte);
        m_state = State::Option;
    } else if (byte == quint8(Command::Sb)) {
        m_subLength = 2;
        m_subOverflow = false;
        m_state = State::SubOption;
    } else if (byte <= quint8(Command::Se)) {
        // Not a command at all, or an SE with nothing open.
        m_discarded += 2;
    }
    // NOP, GA, Data Mark and the rest mean nothing on a serial line.
}

void Decoder::subByte(quint8 byte)
{
    if (m_payload.size() < MaxPayloadSize)
        m_payload.append(char(byte));
    else
        m_subOverflow = m_sawOverlong = true;
}

void Decoder::dropSubnegotiation()
{
    m_discarded += m_subLength;
    m_payload.clear();
}

std::optional<ComPortReply> parseComPortReply(QByteArrayView payload)
{
    if (payload.isEmpty())
        return std::nullopt;
    const int code = quint8(payload.front()) - ServerReplyOffset;
    if (code < int(ComPortCommand::Signature) || code > int(ComPortCommand::PurgeData))
        return std::nullopt;

    ComPortReply reply{ComPortCommand(code), 0, {}};
    const QByteArrayView value = payload.sliced(1);
    switch (reply.command) {
    case ComPortCommand::Signature:
        reply.signature = value.toByteArray();
        return reply;
    case ComPortCommand::FlowControlSuspend:
    case ComPortCommand::FlowControlResume:
        return value.isEmpty() ? std::optional(reply) : std::nullopt;
    case ComPortCommand::SetBaudRate:
        if (value.size() != 4)
            return std::nullopt;
        reply.value = qFromBigEndian<quint32>(value.data());
        return reply;
    default:
        if (value.size() != 1)
            return std::nullopt;
        reply.value = quint8(value.front());
        return reply;
    }
}

} // namespace MSCommLib::Telnet
