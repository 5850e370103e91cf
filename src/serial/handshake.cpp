// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "handshake.h"

#include <array>

namespace MSCommLib {

QString handshakeName(int mode)
{
    static constexpr std::array<const char *, 4> Names{"comNone", "comXOnXOff", "comRTS", "comRTSXOnXOff"};
    const std::optional<Handshake> handshake = handshakeFromInt(mode);
    return handshake ? QLatin1String(Names.at(std::size_t(*handshake))) : QString();
}

} // namespace MSCommLib
