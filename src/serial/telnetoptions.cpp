// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "telnetoptions.h"

#include <utility>

namespace MSCommLib::Telnet {

OptionNegotiation::OptionNegotiation()
{
    for (Option option : {Option::Binary, Option::SuppressGoAhead, Option::ComPort})
        m_here.at(quint8(option)).wanted = true;
    for (Option option : {Option::Binary, Option::SuppressGoAhead})
        m_there.at(quint8(option)).wanted = true;
}

QByteArray OptionNegotiation::requests()
{
    QByteArray wire;
    for (int option = 0; option < int(m_here.size()); ++option) {
        if (Side &side = m_here.at(option); side.wanted && !side.enabled && !side.asked) {
            side.asked = true;
            wire += negotiation(Command::Will, Option(option));
        }
        if (Side &side = m_there.at(option); side.wanted && !side.enabled && !side.asked) {
            side.asked = true;
            wire += negotiation(Command::Do, Option(option));
        }
    }
    return wire;
}

QByteArray OptionNegotiation::answer(Command verb, Option option)
{
    switch (verb) {
    case Command::Do:
        return agree(m_here.at(quint8(option)), true, Command::Will, Command::Wont, option);
    case Command::Dont:
        return agree(m_here.at(quint8(option)), false, Command::Will, Command::Wont, option);
    case Command::Will:
        return agree(m_there.at(quint8(option)), true, Command::Do, Command::Dont, option);
    case Command::Wont:
        return agree(m_there.at(quint8(option)), false, Command::Do, Command::Dont, option);
    default:
        return {};
    }
}

QByteArray OptionNegotiation::agree(Side &side, bool on, Command yes, Command no, Option option)
{
    const bool wasAsked = std::exchange(side.asked, false);
    if (on && !side.wanted)
        return std::exchange(side.declined, true) ? QByteArray() : negotiation(no, option);
    if (!on && wasAsked) {
        side.refused = true;
        side.enabled = false;
        return {};
    }
    if (on == side.enabled)
        return {};
    side.enabled = on;
    // Our own request granted needs no answer; the far end's change does.
    return wasAsked ? QByteArray() : negotiation(on ? yes : no, option);
}

} // namespace MSCommLib::Telnet
