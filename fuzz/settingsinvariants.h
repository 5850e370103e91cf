// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

// What must hold for any text a user can put where the program turns text
// into port settings: the settings string and the handshaking list's text.
// The fuzz target and the randomized test in the suite both check through
// these functions, so a property tightened here is tightened for both.
//
// The expected answers are worked out from the rules as a user reads them
// (a pattern and a range), not by calling the parser, so that a parser that
// refuses a good string or lets a bad one through is caught, not only one
// that crashes or contradicts itself.

#include "serial/commerror.h"
#include "serial/linesettings.h"
#include "serial/mscomm.h"
#include "channel/settinglists.h"

#include <QRegularExpression>
#include <QString>

#include <array>
#include <limits>
#include <optional>

namespace Sernix::Fuzz::SettingsInvariants {

// Readable in a failure report whatever the text holds: every character
// outside printable ASCII becomes \u{XXXX}.
inline QString escaped(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'\\' && c != u'"')
            out += c;
        else
            out += QStringLiteral("\\u{%1}").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out + u'"';
}

// Digits only, no sign: the value if it fits an int.
inline std::optional<qint64> decimalValue(QStringView digits)
{
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.mid(1);
    if (digits.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : digits)
        value = value * 10 + (c.unicode() - u'0');
    return value;
}

// The settings string as it should read back, or nothing when it must be
// refused: speed, parity, data bits, stop bits, exactly four fields, every
// field in its one spelling, only the parity letter free in case.
inline std::optional<QString> expectedNormalForm(const QString &text)
{
#ifdef Q_OS_WIN
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("([1-9][0-9]*),([neosmNEOSM]),([5-8]),(1|1\\.5|2)")));
#else
    // POSIX termios has no 1.5 stop bits; a setting the port cannot apply is refused.
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("([1-9][0-9]*),([neosmNEOSM]),([5-8]),(1|2)")));
#endif
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto speed = decimalValue(match.capturedView(1));
    if (!speed || *speed > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return QStringLiteral("%1,%2,%3,%4")
        .arg(*speed)
        .arg(match.captured(2).toLower(), match.captured(3), match.captured(4));
}

// The handshaking mode number the text stands for, or nothing: a whole
// decimal number, optionally signed, with blanks around it.
inline std::optional<int> expectedHandshakingNumber(const QString &text)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral("([+-]?)([0-9]+)")));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const auto magnitude = decimalValue(match.capturedView(2));
    if (!magnitude)
        return std::nullopt;
    const qint64 value = match.capturedView(1) == u"-" ? -*magnitude : *magnitude;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

namespace detail {

// Writes settings the way every caller does: a refusal is a CommError, the
// only exception the control may raise.
inline bool trySettings(MSCommLib::MSComm &port, const QString &text)
{
    try {
        port.setSettings(text);
        return true;
    } catch (const MSCommLib::CommError &) {
        return false;
    }
}

inline bool tryHandshaking(MSCommLib::MSComm &port, int mode)
{
    try {
        port.setHandshaking(mode);
        return true;
    } catch (const MSCommLib::CommError &) {
        return false;
    }
}

} // namespace detail

// Writes text over `previous` (a normalised string) and checks what the port
// then holds. Returns what broke, or an empty string.
inline QString checkSettingsText(MSCommLib::MSComm &port, const QString &previous, const QString &text)
{
    using MSCommLib::LineSettings;
    // Built only when something broke: most inputs pass, and the fuzzer's
    // speed is mostly allocation.
    const auto context = [&, open = port.PortOpen()] {
        return QStringLiteral("settings %1 over %2 on a %3 port: ")
            .arg(escaped(text), previous, open ? QLatin1StringView("open") : QLatin1StringView("closed"));
    };
    if (!detail::trySettings(port, previous) || port.Settings() != previous)
        return context() + QStringLiteral("the previous settings do not go in unchanged");
    const bool wasOpen = port.PortOpen();
    const int handshaking = port.Handshaking();

    const std::optional<QString> expected = expectedNormalForm(text);
    const std::optional<LineSettings> parsed = LineSettings::parse(text);
    if (parsed.has_value() != expected.has_value())
        return context()
            + (parsed ? QStringLiteral("the parser accepts a string that breaks the rules")
                      : QStringLiteral("the parser refuses a well-formed string"));
    const bool accepted = detail::trySettings(port, text);
    if (port.PortOpen() != wasOpen || port.Handshaking() != handshaking)
        return context() + QStringLiteral("writing settings changed the port's state or handshaking");
    if (accepted != expected.has_value())
        return context()
            + (accepted ? QStringLiteral("the control accepts what the parser refuses")
                        : QStringLiteral("the control refuses a well-formed string"));
    if (!accepted) {
        if (port.Settings() != previous)
            return context() + QStringLiteral("a refused string left %1 in force").arg(escaped(port.Settings()));
        return {};
    }

    const QString normalised = port.Settings();
    if (normalised != *expected)
        return context() + QStringLiteral("reads back as %1, not %2").arg(escaped(normalised), *expected);
    if (parsed->toString() != normalised)
        return context() + QStringLiteral("the parser's own spelling is %1").arg(escaped(parsed->toString()));
    // One spelling per format: the read-back form goes in again untouched,
    // and means what the text meant.
    if (LineSettings::parse(normalised) != parsed)
        return context() + QStringLiteral("the normalised form parses to other settings");
    if (!detail::trySettings(port, normalised) || port.Settings() != normalised)
        return context() + QStringLiteral("the normalised form is not taken back unchanged");
    const LineSettings &value = *parsed;
    if (value.baudRate <= 0 || value.dataBits < 5 || value.dataBits > 8 || value.bitsPerCharacter() < 7
        || value.bitsPerCharacter() > 12)
        return context() + QStringLiteral("accepted a format no line can carry");
    return {};
}

// The handshaking list's text through the number it stands for into the
// control, over `previous` (0 to 3). Returns what broke, or an empty string.
inline QString checkHandshakingText(MSCommLib::MSComm &port, int previous, const QString &text)
{
    const auto context = [&, open = port.PortOpen()] {
        return QStringLiteral("handshaking %1 over mode %2 on a %3 port: ")
            .arg(escaped(text))
            .arg(previous)
            .arg(open ? QLatin1StringView("open") : QLatin1StringView("closed"));
    };
    if (!detail::tryHandshaking(port, previous) || port.Handshaking() != previous)
        return context() + QStringLiteral("the previous mode does not go in");
    const QString settings = port.Settings();

    const std::optional<int> expected = expectedHandshakingNumber(text);
    const std::optional<int> number = Channel::SettingLists::handshakingNumber(text);
    if (number != expected) {
        return context()
            + QStringLiteral("taken as %1 where %2 was meant")
                  .arg(number ? QString::number(*number) : QStringLiteral("no number"),
                       expected ? QString::number(*expected) : QStringLiteral("no number"));
    }
    if (!number)
        return {};
    // The number's plain spelling stands for the same number, blanks or not.
    const QString plain = QString::number(*number);
    if (Channel::SettingLists::handshakingNumber(plain) != number
        || Channel::SettingLists::handshakingNumber(QStringLiteral(" %1\t").arg(plain)) != number)
        return context() + QStringLiteral("the plain spelling %1 reads otherwise").arg(plain);

    const bool isMode = *number >= 0 && *number <= 3;
    const bool accepted = detail::tryHandshaking(port, *number);
    if (accepted != isMode)
        return context()
            + (accepted ? QStringLiteral("mode %1 accepted").arg(*number)
                        : QStringLiteral("mode %1 refused").arg(*number));
    const int expectedMode = accepted ? *number : previous;
    if (port.Handshaking() != expectedMode)
        return context() + QStringLiteral("reads back as mode %1").arg(port.Handshaking());
    if (port.Settings() != settings)
        return context() + QStringLiteral("handshaking changed the settings");
    return {};
}

// Previous states the checks start from, so that "left unchanged" is tested
// against more than the default.
inline const std::array<QString, 4> &previousSettings()
{
    static const std::array<QString, 4> list{QStringLiteral("9600,n,8,1"), QStringLiteral("110,e,7,2"),
                                             QStringLiteral("2147483647,m,5,1"), QStringLiteral("1,s,6,2")};
    return list;
}

} // namespace Sernix::Fuzz::SettingsInvariants
