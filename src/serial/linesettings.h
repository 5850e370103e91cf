// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

#include <optional>

namespace MSCommLib {

// A character format as the Settings property spells it: speed, parity letter,
// data bits and stop bits joined by commas, e.g. "9600,n,8,1".
struct LineSettings
{
    enum class Parity : char { None = 'n', Even = 'e', Odd = 'o', Space = 's', Mark = 'm' };
    enum class StopBits { One, OneAndHalf, Two };

    qint32 baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    // Accepts exactly the normalised form, except that the parity letter may be
    // upper case. Blanks, signs, leading zeros and extra fields are refused so
    // that every accepted string has one spelling, the one toString() gives.
    static std::optional<LineSettings> parse(const QString &text);
    QString toString() const;

    // Bit times one character occupies on the wire, start and stop bits included.
    double bitsPerCharacter() const;

    bool operator==(const LineSettings &) const = default;
};

} // namespace MSCommLib
