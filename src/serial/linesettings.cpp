// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "linesettings.h"

#include <QStringList>

#include <array>
#include <limits>

namespace MSCommLib {

namespace {

constexpr std::array Parities{
    LineSettings::Parity::None,  LineSettings::Parity::Even, LineSettings::Parity::Odd,
    LineSettings::Parity::Space, LineSettings::Parity::Mark,
};

struct StopBitsSpelling
{
    LineSettings::StopBits value;
    const char *text;
};

// 1.5 stop bits exist only where the port can apply them: Windows' DCB has
// ONE5STOPBITS, a POSIX termios has no such setting, so elsewhere "1.5" is
// refused up front instead of being accepted and then failing on the port.
constexpr std::array StopBitsSpellings{
    StopBitsSpelling{LineSettings::StopBits::One, "1"},
#ifdef Q_OS_WIN
    StopBitsSpelling{LineSettings::StopBits::OneAndHalf, "1.5"},
#endif
    StopBitsSpelling{LineSettings::StopBits::Two, "2"},
};

constexpr int MinDataBits = 5;
constexpr int MaxDataBits = 8;

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

std::optional<qint32> parseBaudRate(const QString &field)
{
    if (field.isEmpty() || field.front() == u'0' || field.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : field) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

std::optional<LineSettings::Parity> parseParity(const QString &field)
{
    if (field.size() != 1 || field.front().unicode() > 0x7f)
        return std::nullopt;
    const char letter = char(field.front().toLower().unicode());
    for (LineSettings::Parity parity : Parities) {
        if (char(parity) == letter)
            return parity;
    }
    return std::nullopt;
}

std::optional<int> parseDataBits(const QString &field)
{
    if (field.size() != 1 || !isAsciiDigit(field.front()))
        return std::nullopt;
    const int bits = field.front().unicode() - u'0';
    if (bits < MinDataBits || bits > MaxDataBits)
        return std::nullopt;
    return bits;
}

std::optional<LineSettings::StopBits> parseStopBits(const QString &field)
{
    for (const StopBitsSpelling &spelling : StopBitsSpellings) {
        if (field == QLatin1StringView(spelling.text))
            return spelling.value;
    }
    return std::nullopt;
}

QLatin1StringView stopBitsText(LineSettings::StopBits stopBits)
{
    switch (stopBits) {
    case LineSettings::StopBits::One:
        return QLatin1StringView("1");
    case LineSettings::StopBits::OneAndHalf:
        return QLatin1StringView("1.5");
    case LineSettings::StopBits::Two:
        return QLatin1StringView("2");
    }
    Q_UNREACHABLE();
    return QLatin1StringView("1");
}

double stopBitsLength(LineSettings::StopBits stopBits)
{
    switch (stopBits) {
    case LineSettings::StopBits::One:
        return 1.0;
    case LineSettings::StopBits::OneAndHalf:
        return 1.5;
    case LineSettings::StopBits::Two:
        return 2.0;
    }
    Q_UNREACHABLE();
    return 1.0;
}

} // namespace

std::optional<LineSettings> LineSettings::parse(const QString &text)
{
    const QStringList fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;
    const auto baudRate = parseBaudRate(fields[0]);
    const auto parity = parseParity(fields[1]);
    const auto dataBits = parseDataBits(fields[2]);
    const auto stopBits = parseStopBits(fields[3]);
    if (!baudRate || !parity || !dataBits || !stopBits)
        return std::nullopt;
    return LineSettings{*baudRate, *parity, *dataBits, *stopBits};
}

QString LineSettings::toString() const
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudRate)
        .arg(QChar::fromLatin1(char(parity)))
        .arg(dataBits)
        .arg(stopBitsText(stopBits));
}

double LineSettings::bitsPerCharacter() const
{
    const int parityBits = parity == Parity::None ? 0 : 1;
    return 1 + dataBits + parityBits + stopBitsLength(stopBits);
}

} // namespace MSCommLib
