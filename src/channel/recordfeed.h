// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "record/record.h"
#include "serial/mscomm.h"

#include <QObject>

namespace Sernix::Channel {

// Keeps a channel's record: follows what its serial control reports (opened,
// closed, lost, back, settings, lines written, bytes read and sent, and each
// look) and turns it into events. Input levels are recorded only while the
// channel is on with its device present, and the first look after it comes
// on or back records every level, so the record always holds the whole state.
// What was recorded last is what the record's state of the channel says.
// Where the port times its input changes itself (a watcher woken by the
// driver, the loop-back plug, a server's reports), each change is recorded at
// its own time and the look records only what no change has shown yet.
class RecordFeed : public QObject
{
    Q_OBJECT
public:
    RecordFeed(Record::Record &record, int channel, MSCommLib::MSComm &port, QObject *parent = nullptr);

private:
    void onOpened();
    void onClosed();
    void onDeviceStateChanged(MSCommLib::DeviceState state, const QString &reason);
    void onLook(const MSCommLib::MSComm::Look &look);
    void onLinesChanged(const MSCommLib::LineChange &change);
    void recordTiming();
    void onOutputLine(Record::Line line, bool on);
    void recordLevel(Record::Line line, bool on);
    QString caption() const;
    const Record::ChannelState &state() const { return m_record.state(m_channel); }

    Record::Record &m_record;
    const int m_channel;
    MSCommLib::MSComm &m_port;
    bool m_fullLook = false;     // the next look records every level
    bool m_changesTimed = false; // the port times its input changes
};

} // namespace Sernix::Channel
