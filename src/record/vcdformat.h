// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "fileformat.h"

#include <QList>

#include <array>

namespace Sernix::Record {

// An IEEE 1364 Value Change Dump of the six lines of each channel: a scope
// per channel (com1 .. com4) of 1-bit wires com1_dcd .. com1_rts, timescale
// 1 ms, time 0 at the start of the file. A channel's wires are x while it is
// off or its device is lost. A look that counted n transitions of a line
// draws them 1 ms apart (at most MaxDrawnTransitions), ending at the look's
// time at the level it saw.
class VcdFormat : public FileFormat
{
public:
    static constexpr int MaxDrawnTransitions = 64;

    QByteArray begin(const Record &record, qint64 startTime, bool fromNow) override;
    void add(const Event &event) override;
    QByteArray take(qint64 settled) override;
    QByteArray finish(qint64 end) override;

    static QByteArray wireName(int channel, Line line); // "com1_dcd"

private:
    // A wire's value: '0', '1' or 'x'.
    struct Change
    {
        qint64 ms;
        int wire;
        char value;
    };
    void change(qint64 ms, int channel, Line line, char value);
    void setChannelUnknown(qint64 ms, int channel);
    void drawPulse(qint64 ms, int channel, Line line, quint32 counted);
    QByteArray write(qint64 upToMs, bool inclusive);
    qint64 toMs(qint64 time) const;

    qint64 m_startTime = 0;
    qint64 m_writtenMs = -1;                                           // the last time stamp written
    std::array<char, std::size_t(ChannelCount) * LineCount> m_level{}; // as the events left it
    QList<Change> m_pending;                                           // in the order drawn, not yet written
};

} // namespace Sernix::Record
