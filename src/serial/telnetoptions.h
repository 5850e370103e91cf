// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "telnetcodec.h"

#include <QByteArray>

#include <array>

namespace MSCommLib::Telnet {

// Which Telnet options are on, for this client and for the server, and what
// to answer the server's WILL, WONT, DO and DONT. A request of ours that the
// server grants is not acknowledged again, and a request of the server's to
// enter a state we are already in is not answered, so the two sides never
// echo each other's answers back and forth. The client wants BINARY both
// ways, SUPPRESS-GO-AHEAD both ways, and to use COM-PORT; anything else
// the server offers or asks for is refused, once: a server that asks again
// and again gets no stream of answers to make us buffer.
class OptionNegotiation
{
public:
    OptionNegotiation();

    // Our own requests, to send once the connection is up.
    QByteArray requests();
    // The answer to one negotiation of the server's; empty when none is due.
    QByteArray answer(Command verb, Option option);

    // The server agreed that we use COM-PORT (it said DO).
    bool comPortAccepted() const { return m_here.at(quint8(Option::ComPort)).enabled; }
    // The server declined it (it said DONT to our WILL).
    bool comPortRefused() const { return m_here.at(quint8(Option::ComPort)).refused; }

private:
    struct Side
    {
        bool wanted = false;
        bool enabled = false;
        bool asked = false;    // our request is out and unanswered
        bool refused = false;  // our request was declined
        bool declined = false; // we declined the far end's; it is told once
    };
    // For an option the far end may switch on (WILL/DO) or off (WONT/DONT).
    static QByteArray agree(Side &side, bool on, Command yes, Command no, Option option);

    std::array<Side, 256> m_here;  // options we use: the server says DO or DONT
    std::array<Side, 256> m_there; // options the server uses: it says WILL or WONT
};

} // namespace MSCommLib::Telnet
