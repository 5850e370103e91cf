// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "channelstates.h"
#include "markers.h"

#include <QDateTime>
#include <QString>

namespace Sernix::History::ReadOut {

// Record times as the local wall clock shows them.
QDateTime localTime(const Record::Clock &clock, qint64 time);
QString timeText(const Record::Clock &clock, qint64 time); // "14:03:05.123"
QString utcOffsetText(const QDateTime &local);             // "UTC+01:00"
// To the record's microsecond: "14:03:05.123456".
QString preciseTimeText(const Record::Clock &clock, qint64 time);
// A span in the unit that fits it: "734 \u00b5s", "12.345 ms", "3.250 s".
QString durationText(qint64 microseconds);
// "A 14:03:05.123456   B 14:03:05.135801   \u0394t 12.345 ms", of the markers set.
QString markersText(const Record::Clock &clock, const Markers &markers);

// "COM1 DCD 1 DSR 0 ... · COM2 off · COM3 lost", what a cursor reads.
QString levelsText(const ChannelsAt &channels);
// "COM1 received 14:03:05.120, 5 bytes: 68 65 6c 6c 6f  hello"
QString dataText(const Record::Record &record, const Record::Event &event);

// The data event of a channel in one direction nearest to time, among those
// from `from` to `to`; null when there is none.
const Record::Event *dataNear(const Record::Record &record, int channel, Record::EventKind kind, qint64 from, qint64 to,
                              qint64 time);

} // namespace Sernix::History::ReadOut
