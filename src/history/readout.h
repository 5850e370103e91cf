// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "channelstates.h"

#include <QDateTime>
#include <QString>

namespace Sernix::History::ReadOut {

// Record times as the local wall clock shows them.
QDateTime localTime(const Record::Clock &clock, qint64 time);
QString timeText(const Record::Clock &clock, qint64 time); // "14:03:05.123"
QString utcOffsetText(const QDateTime &local);             // "UTC+01:00"

// "COM1 DCD 1 DSR 0 ... · COM2 off · COM3 lost", what a cursor reads.
QString levelsText(const ChannelsAt &channels);
// "COM1 received 14:03:05.120, 5 bytes: 68 65 6c 6c 6f  hello"
QString dataText(const Record::Record &record, const Record::Event &event);

// The data event of a channel in one direction nearest to time, among those
// from `from` to `to`; null when there is none.
const Record::Event *dataNear(const Record::Record &record, int channel, Record::EventKind kind, qint64 from, qint64 to,
                              qint64 time);

} // namespace Sernix::History::ReadOut
