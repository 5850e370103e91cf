// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "portbackend.h"

#include "steadyclock.h"

#include <QTimer>

namespace MSCommLib {

// A simulated loop-back plug: TD wired to RD, RTS to CTS, DTR to DSR and DCD.
// Characters come back at the pace the settings give the line, one every
// character time, and flow control holds them the way a driver would. Time is
// read whenever the port is used, and once more when the characters on their
// way are due back, so that they arrive on time; an idle plug costs nothing.
class LoopbackPort final : public PortBackend
{
public:
    explicit LoopbackPort(const SteadyClock &clock = SteadyClock::monotonic());

    void open(const LineSettings &settings, Handshake handshake) override;
    void close() override;
    PendingChange configure(const LineSettings &settings) override;
    PendingChange setHandshake(Handshake handshake) override;
    void write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesToWrite() override;
    ModemInputs modemInputs() override;
    void setDtr(bool on) override;
    void setRts(bool on) override;
    // Its own transitions; a plug makes no errors and never rings.
    std::optional<LineCounts> lineCounts() override;
    // A plug is never pulled.
    ReturnCheck lookForReturn(const LineSettings &settings, Handshake handshake) override;
    // Stamped at the write that moves them.
    LineTiming lineTiming() const override;

private:
    // Moves the characters whose time on the wire has passed to the receiver.
    void transmitDueCharacters();
    void expectArrival();
    void receive(char character);
    void wireDtr(bool on);
    void wireRts(bool on);
    void reportChange(std::initializer_list<LineEvent> moved) const;
    bool transmitterHeld() const;
    qint64 characterTimeNs() const;
    void requireOpen() const;

    const SteadyClock &m_clock;
    bool m_open = false;
    LineSettings m_settings;
    Handshake m_handshake = Handshake::None;
    bool m_dtr = false;
    bool m_rts = false;
    bool m_stoppedByXoff = false;
    LineCounts m_counts{{0, 0, 0, 0, 0, 0, 0, 0}};
    QByteArray m_unsent;
    QByteArray m_received;
    // When the character now on the wire started; "now" while the line idles.
    qint64 m_characterStartNs = 0;
    QTimer m_arrival; // when what is on the wire is all back
};

} // namespace MSCommLib
