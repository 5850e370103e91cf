// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

#include <optional>

namespace MSCommLib {

// The Handshaking property's four modes, numbered as callers write them.
enum class Handshake { None = 0, XonXoff = 1, Rts = 2, RtsXonXoff = 3 };

// A mode's name ("comNone", "comXOnXOff", "comRTS", "comRTSXOnXOff"); empty
// for a number that is no mode.
QString handshakeName(int mode);

constexpr std::optional<Handshake> handshakeFromInt(int mode)
{
    if (mode < int(Handshake::None) || mode > int(Handshake::RtsXonXoff))
        return std::nullopt;
    return Handshake(mode);
}

constexpr bool usesHardwareFlow(Handshake mode)
{
    return mode == Handshake::Rts || mode == Handshake::RtsXonXoff;
}

constexpr bool usesSoftwareFlow(Handshake mode)
{
    return mode == Handshake::XonXoff || mode == Handshake::RtsXonXoff;
}

} // namespace MSCommLib
