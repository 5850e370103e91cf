// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "readout.h"

#include "record/record.h"

#include <QStringList>

#include <cstdlib>

namespace Sernix::History::ReadOut {

QDateTime localTime(const Record::Clock &clock, qint64 time)
{
    return clock.wallTime(time).toLocalTime();
}

QString timeText(const Record::Clock &clock, qint64 time)
{
    return localTime(clock, time).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString preciseTimeText(const Record::Clock &clock, qint64 time)
{
    return timeText(clock, time) + QStringLiteral("%1").arg(std::abs(time % 1000), 3, 10, QLatin1Char('0'));
}

QString durationText(qint64 microseconds)
{
    // Whole microseconds below a millisecond, then three decimals: every
    // digit shown is one the record holds, up to a second.
    const qint64 size = std::abs(microseconds);
    const QString sign = microseconds < 0 ? QStringLiteral("\u2212") : QString();
    if (size < 1000)
        return sign + QStringLiteral("%1 \u00b5s").arg(size);
    if (size < 1'000'000)
        return sign + QStringLiteral("%1 ms").arg(double(size) / 1e3, 0, 'f', 3);
    return sign + QStringLiteral("%1 s").arg(double(size) / 1e6, 0, 'f', 3);
}

QString markersText(const Record::Clock &clock, const Markers &markers)
{
    QStringList parts;
    for (const Marker marker : BothMarkers) {
        if (const std::optional<qint64> time = markers.time(marker))
            parts << markerName(marker) + QLatin1Char(' ') + preciseTimeText(clock, *time);
    }
    if (const std::optional<qint64> delta = markers.delta())
        parts << QStringLiteral("\u0394t ") + durationText(*delta);
    return parts.join(QStringLiteral("   "));
}

QString utcOffsetText(const QDateTime &local)
{
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QStringLiteral("UTC%1%2:%3")
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString levelsText(const ChannelsAt &channels)
{
    QStringList parts;
    for (int channel = 1; channel <= Record::ChannelCount; ++channel) {
        const ChannelAt &state = channels.at(std::size_t(channel - 1));
        QString part = QStringLiteral("COM%1").arg(channel);
        switch (state.presence) {
        case Presence::Unknown:
            part += QStringLiteral(" not held");
            break;
        case Presence::Off:
            part += QStringLiteral(" off");
            break;
        case Presence::Lost:
            part += QStringLiteral(" lost");
            break;
        case Presence::On:
            for (int line = 0; line < Record::LineCount; ++line) {
                const std::optional<bool> level = state.levels.at(std::size_t(line));
                part += QLatin1Char(' ') + Record::lineName(Record::Line(line)) + QLatin1Char(' ')
                    + (level ? QLatin1Char(*level ? '1' : '0') : QLatin1Char('?'));
            }
            break;
        }
        parts << part;
    }
    return parts.join(QStringLiteral("  \u00b7  "));
}

QString dataText(const Record::Record &record, const Record::Event &event)
{
    const QByteArrayView bytes = record.bytes(event);
    QString hex;
    QString text;
    for (const char byte : bytes) {
        const auto value = quint8(byte);
        if (!hex.isEmpty())
            hex += QLatin1Char(' ');
        hex += QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
        text += value >= 0x20 && value <= 0x7e ? QLatin1Char(char(value)) : QLatin1Char('.');
    }
    return QStringLiteral("COM%1 %2 %3, %4 byte(s): %5  \u201c%6\u201d")
        .arg(int(event.channel))
        .arg(Record::eventName(event.kind), timeText(record.clock(), event.time))
        .arg(bytes.size())
        .arg(hex, text);
}

const Record::Event *dataNear(const Record::Record &record, int channel, Record::EventKind kind, qint64 from, qint64 to,
                              qint64 time)
{
    const Record::Event *nearest = nullptr;
    for (const Record::Event &event : record.range(Record::Category::Data, from, to)) {
        if (event.channel == channel && event.kind == kind
            && (!nearest || std::abs(event.time - time) < std::abs(nearest->time - time)))
            nearest = &event;
    }
    return nearest;
}

} // namespace Sernix::History::ReadOut
