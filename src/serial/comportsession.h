// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "handshake.h"
#include "linecounts.h"
#include "linesettings.h"
#include "portbackend.h"
#include "telnetcodec.h"
#include "telnetoptions.h"

#include <QByteArray>
#include <QList>

#include <deque>
#include <functional>
#include <map>
#include <optional>

namespace MSCommLib {

// The client side of one RFC 2217 connection, apart from its socket: it is
// fed what the server sends and the current time, and tells what to send
// back and how each request ended. Time is whatever monotonic count of
// milliseconds the caller keeps; the session never reads a clock.
//
// Sending a request and learning its outcome are separate steps, so that
// requests to several servers can be sent first and awaited together. The
// server answers the requests of one kind in the order they were sent; a
// reply that finds no request of its kind still owed (its request timed out,
// or it was never asked for) is stale and settles nothing. The server is not
// trusted: memory stays bounded however much or whatever it sends.
class ComPortSession
{
public:
    using RequestId = quint64;
    enum class Outcome {
        Pending,   // not all of it answered yet, and still time
        Confirmed, // every value applied as asked
        Altered,   // the server put some other value in force
        Refused,   // the server does not serve COM-PORT at all
        TimedOut,  // not all answered in time, or no longer kept
    };
    // A COM-PORT command with the value it sets, which the server's reply
    // repeats when it applied the value. A step on the way to a later value
    // of the same command is not judged by its reply: a server may answer
    // it only once the later one is in force, with that one's value.
    struct Setting
    {
        Telnet::ComPortCommand command;
        quint32 value;
        bool judged = true;
    };
    // Requests kept at once; beyond it the oldest is given up as timed out.
    static constexpr int MaxRequests = 64;
    // Telnet traffic without data allowed between two looks at the data;
    // a server past it floods with what the data cap does not hold back.
    static constexpr qint64 MaxControlBytesPerLook = qint64(64) * 1024;

    // The SET-CONTROL value of a handshaking mode; RTS/CTS with XON/XOFF has none.
    static std::optional<Telnet::Control> wireFlow(Handshake handshake);

    // Puts out the negotiation, once the connection is up.
    void start() { m_outgoing += m_options.requests(); }
    // Raw bytes from the server: data is appended to data, the rest handled.
    void feed(QByteArrayView wire, qint64 now, QByteArray &data);
    void handle(const Telnet::Event &event, qint64 now);
    // What is due to the server, in order; taken once.
    QByteArray takeOutgoing() { return std::exchange(m_outgoing, {}); }

    bool comPortAccepted() const { return m_options.comPortAccepted(); }
    bool comPortRefused() const { return m_options.comPortRefused(); }
    // Why the server's Telnet traffic is past bearing, or empty.
    QString misconduct() const;
    // The data was looked at: the allowance for Telnet traffic starts over.
    void dataTaken() { m_controlBytesAtLook = m_decoder.controlBytes(); }

    // Asks for modem-state reports on every line.
    void watchModemLines();
    // The values that set a format, and the flow control when one is given.
    static QList<Setting> settingsOf(const LineSettings &settings, std::optional<Telnet::Control> flow);
    // The values that set a flow control. Any mode but none is preceded by
    // "no flow control": some servers set only the mode asked, leaving the
    // other one on, and clear both only for "no flow control".
    static QList<Setting> flowOf(Telnet::Control flow);
    RequestId request(const QList<Setting> &settings, qint64 deadline);
    // A line change (DTR, RTS), answered only where the device has modem
    // lines, so nothing waits for it.
    void setLine(Telnet::Control control);

    // Pending until every value is answered or the deadline passes; a
    // request given up, or not kept, is TimedOut.
    Outcome outcome(RequestId id, qint64 now);
    // The outcome is of no more interest; replies still owed are expected.
    void forget(RequestId id) { m_requests.erase(id); }
    // When a request kept is given up if not answered; 0 for one not kept.
    qint64 deadline(RequestId id) const;
    qsizetype keptRequests() const { return qsizetype(m_requests.size()); }

    ModemInputs modemInputs() const;
    // Called as each modem-state report arrives, after it is taken in.
    void setModemStateHandler(std::function<void()> handler) { m_onModemState = std::move(handler); }
    // Transitions seen in the server's modem-state reports. A session on a
    // new connection to the same port carries on counting from an earlier one.
    const LineCounts &transitions() const { return m_transitions; }
    void carryCountsFrom(const ComPortSession &earlier) { m_transitions += earlier.m_transitions; }

private:
    struct Request
    {
        QList<Setting> asked;
        QList<std::optional<quint32>> answers;
        qint64 deadline;
        Outcome settled;
    };
    // A value owed by the server, in the queue of its command.
    struct Owed
    {
        RequestId id;
        qsizetype index;
        qint64 deadline;
    };

    Outcome settle(const Request &request, qint64 now) const;
    void answer(const Telnet::ComPortReply &reply, qint64 now);
    void dropExpired(qint64 now);
    void countTransitions(Telnet::ModemState report);

    Telnet::Decoder m_decoder;
    Telnet::OptionNegotiation m_options;
    QByteArray m_outgoing;
    bool m_signatureSent = false;
    qint64 m_controlBytesAtLook = 0;
    RequestId m_nextId = 1;
    std::map<RequestId, Request> m_requests;
    std::map<Telnet::ComPortCommand, std::deque<Owed>> m_owed;
    Telnet::ModemState m_modemState;
    std::function<void()> m_onModemState;
    LineCounts m_transitions{{0, 0, 0, 0, std::nullopt, std::nullopt, std::nullopt, std::nullopt}};
};

} // namespace MSCommLib
