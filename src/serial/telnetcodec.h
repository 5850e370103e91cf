// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFlags>
#include <QList>

#include <optional>

// The wire format of a serial port served over Telnet with the COM-PORT
// option (RFC 854 and RFC 2217), as a ser2net "telnet(rfc2217)" accepter
// speaks it. Pure byte work with no socket, so that the client stays a thin
// layer over QTcpSocket and every byte the far end may send can be fuzzed.
namespace MSCommLib::Telnet {

enum class Command : quint8 {
    Se = 240,
    Nop = 241,
    DataMark = 242,
    GoAhead = 249,
    Sb = 250,
    Will = 251,
    Wont = 252,
    Do = 253,
    Dont = 254,
    Iac = 255,
};

// Any byte may name an option; these are the ones a serial client negotiates.
enum class Option : quint8 {
    Binary = 0,
    SuppressGoAhead = 3,
    ComPort = 44,
};

// Client-to-server codes; the server answers with the same code plus
// ServerReplyOffset.
enum class ComPortCommand : quint8 {
    Signature = 0,
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    FlowControlSuspend = 8,
    FlowControlResume = 9,
    SetLineStateMask = 10,
    SetModemStateMask = 11,
    PurgeData = 12,
};
inline constexpr quint8 ServerReplyOffset = 100;

// In every Set* command a value of 0 asks for the current setting.
enum class Parity : quint8 { Request = 0, None = 1, Odd = 2, Even = 3, Mark = 4, Space = 5 };
enum class StopSize : quint8 { Request = 0, One = 1, Two = 2, OneAndHalf = 3 };

enum class Control : quint8 {
    RequestFlow = 0,
    NoFlow = 1,
    XonXoffFlow = 2,
    HardwareFlow = 3,
    RequestBreak = 4,
    BreakOn = 5,
    BreakOff = 6,
    RequestDtr = 7,
    DtrOn = 8,
    DtrOff = 9,
    RequestRts = 10,
    RtsOn = 11,
    RtsOff = 12,
    RequestInboundFlow = 13,
    InboundNoFlow = 14,
    InboundXonXoffFlow = 15,
    InboundHardwareFlow = 16,
    DcdFlow = 17,
    DtrFlow = 18,
    DsrFlow = 19,
};

enum class Purge : quint8 { ReceiveBuffer = 1, TransmitBuffer = 2, BothBuffers = 3 };

enum class ModemStateFlag : quint8 {
    CarrierDetect = 0x80,
    RingIndicator = 0x40,
    DataSetReady = 0x20,
    ClearToSend = 0x10,
    CarrierDetectChanged = 0x08,
    RingTrailingEdge = 0x04,
    DataSetReadyChanged = 0x02,
    ClearToSendChanged = 0x01,
};
Q_DECLARE_FLAGS(ModemState, ModemStateFlag)

enum class LineStateFlag : quint8 {
    Timeout = 0x80,
    ShiftRegisterEmpty = 0x40,
    HoldingRegisterEmpty = 0x20,
    BreakDetected = 0x10,
    FramingError = 0x08,
    ParityError = 0x04,
    OverrunError = 0x02,
    DataReady = 0x01,
};
Q_DECLARE_FLAGS(LineState, LineStateFlag)

// --- What the client sends ---

// Data bytes as they must go on the wire: every 0xFF doubled.
QByteArray escaped(QByteArrayView data);
// IAC verb option, verb being Will, Wont, Do or Dont.
QByteArray negotiation(Command verb, Option option);
// IAC SB COM-PORT command value IAC SE, with 0xFF in the value doubled.
QByteArray comPortCommand(ComPortCommand command, QByteArrayView value = {});

QByteArray comPortCommand(ComPortCommand command, quint8 value);
QByteArray setBaudRate(quint32 bitsPerSecond);
QByteArray setDataSize(quint8 bits);
QByteArray setParity(Parity parity);
QByteArray setStopSize(StopSize size);
QByteArray setControl(Control control);
QByteArray setModemStateMask(ModemState mask);

// --- What the server sends ---

// A negotiation (command Will, Wont, Do or Dont) or a complete
// subnegotiation (command Sb, with its payload after the option byte).
struct Event
{
    Command command;
    Option option;
    QByteArray payload;

    friend bool operator==(const Event &, const Event &) = default;
};

// Splits the server's byte stream into serial data and Telnet events. Chunks
// may be cut anywhere, even inside a command. The peer is not trusted: a
// malformed or over-long sequence is dropped and counted, memory stays
// bounded, and the decoder is back in step once the sequence ends.
class Decoder
{
public:
    // Room for a server's signature text; every other reply is at most five
    // bytes. A longer subnegotiation is read to its end and dropped.
    static constexpr qsizetype MaxPayloadSize = 256;

    // Appends the chunk's data bytes to data and returns its events in the
    // order they arrived.
    QList<Event> feed(QByteArrayView chunk, QByteArray &data);

    // Bytes of malformed or over-long sequences thrown away so far.
    qint64 discardedBytes() const { return m_discarded; }
    // Wire bytes so far that carried no data: commands and subnegotiations.
    qint64 controlBytes() const { return m_wireBytes - m_dataBytes - m_escapedData; }
    // Whether a subnegotiation has run past MaxPayloadSize.
    bool sawOverlongSubnegotiation() const { return m_sawOverlong; }

private:
    void decode(QByteArrayView chunk, QByteArray &data, QList<Event> &events);
    enum class State { Data, Command, Option, SubOption, SubData, SubCommand };

    void command(quint8 byte, QByteArray &data);
    void subByte(quint8 byte);
    void dropSubnegotiation();

    State m_state = State::Data;
    Command m_verb = Command::Nop;
    Option m_subOption = Option::Binary;
    QByteArray m_payload;
    qsizetype m_subLength = 0; // wire bytes of the open subnegotiation
    bool m_subOverflow = false;
    qint64 m_discarded = 0;
    qint64 m_wireBytes = 0;
    qint64 m_dataBytes = 0;
    qint64 m_escapedData = 0; // second bytes of IAC IAC
    bool m_sawOverlong = false;
};

// A COM-PORT reply, checked for its length. Signature carries its text
// (empty when the server asks for ours); FlowControlSuspend and
// FlowControlResume carry nothing; SetBaudRate carries four bytes; every
// other reply one.
struct ComPortReply
{
    ComPortCommand command;
    quint32 value = 0;
    QByteArray signature;

    ModemState modemState() const { return ModemState::fromInt(value); }
    LineState lineState() const { return LineState::fromInt(value); }
};

// Reads the payload of a COM-PORT subnegotiation from the server; nullopt
// for a client-to-server code, an unknown one or a value of the wrong size.
std::optional<ComPortReply> parseComPortReply(QByteArrayView payload);

} // namespace MSCommLib::Telnet

Q_DECLARE_OPERATORS_FOR_FLAGS(MSCommLib::Telnet::ModemState)
Q_DECLARE_OPERATORS_FOR_FLAGS(MSCommLib::Telnet::LineState)
