// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "loopbackport.h"

#include "commerror.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace MSCommLib {

namespace {
constexpr char XonCharacter = 0x11;
constexpr char XoffCharacter = 0x13;
} // namespace

LoopbackPort::LoopbackPort(const SteadyClock &clock)
    : m_clock(clock)
{
    m_arrival.setSingleShot(true);
    m_arrival.setTimerType(Qt::PreciseTimer);
    m_arrival.callOnTimeout([this] { transmitDueCharacters(); });
}

void LoopbackPort::open(const LineSettings &settings, Handshake handshake)
{
    close();
    m_open = true;
    m_settings = settings;
    m_handshake = handshake;
    wireRts(usesHardwareFlow(handshake));
    m_characterStartNs = m_clock.nowNs();
}

void LoopbackPort::close()
{
    m_open = false;
    wireDtr(false);
    wireRts(false);
    m_stoppedByXoff = false;
    m_unsent.clear();
    m_received.clear();
    m_arrival.stop();
}

PendingChange LoopbackPort::configure(const LineSettings &settings)
{
    requireOpen();
    transmitDueCharacters();
    m_settings = settings;
    return {};
}

PendingChange LoopbackPort::setHandshake(Handshake handshake)
{
    requireOpen();
    transmitDueCharacters();
    m_handshake = handshake;
    if (!usesSoftwareFlow(handshake))
        m_stoppedByXoff = false;
    // Like a driver doing RTS/CTS with room to spare in its receive buffer.
    if (usesHardwareFlow(handshake))
        wireRts(true);
    return {};
}

void LoopbackPort::write(const QByteArray &bytes)
{
    requireOpen();
    transmitDueCharacters();
    m_unsent += bytes;
    expectArrival();
}

QByteArray LoopbackPort::readAll()
{
    requireOpen();
    transmitDueCharacters();
    return std::exchange(m_received, {});
}

qint64 LoopbackPort::bytesToWrite()
{
    transmitDueCharacters();
    return m_unsent.size();
}

ModemInputs LoopbackPort::modemInputs()
{
    requireOpen();
    return ModemInputs{.cd = m_dtr, .cts = m_rts, .dsr = m_dtr, .ri = false};
}

void LoopbackPort::setDtr(bool on)
{
    requireOpen();
    wireDtr(on);
}

void LoopbackPort::setRts(bool on)
{
    requireOpen();
    if (usesHardwareFlow(m_handshake))
        throw CommError(QStringLiteral("%1: RTS is controlled by hardware handshaking").arg(LoopbackDeviceName));
    transmitDueCharacters();
    wireRts(on);
    expectArrival(); // the transmitter may have been let go
}

std::optional<LineCounts> LoopbackPort::lineCounts()
{
    return m_counts;
}

void LoopbackPort::wireDtr(bool on)
{
    // DTR drives both DSR and DCD.
    if (std::exchange(m_dtr, on) != on) {
        ++*m_counts[LineEvent::Dsr];
        ++*m_counts[LineEvent::Dcd];
        reportChange({LineEvent::Dsr, LineEvent::Dcd});
    }
}

void LoopbackPort::wireRts(bool on)
{
    if (std::exchange(m_rts, on) != on) {
        ++*m_counts[LineEvent::Cts];
        reportChange({LineEvent::Cts});
    }
}

// The plug is its own watcher: its inputs change as the write goes out.
void LoopbackPort::reportChange(std::initializer_list<LineEvent> moved) const
{
    if (!m_open)
        return;
    LineCounts transitions{{0, 0, 0, 0, std::nullopt, std::nullopt, std::nullopt, std::nullopt}};
    for (LineEvent line : moved)
        transitions[line] = 1;
    reportLineChange({m_clock.nowNs(), ModemInputs{.cd = m_dtr, .cts = m_rts, .dsr = m_dtr, .ri = false}, transitions});
}

LineTiming LoopbackPort::lineTiming() const
{
    return {LineTimes::Edge, QStringLiteral("1 us")};
}

ReturnCheck LoopbackPort::lookForReturn(const LineSettings &settings, Handshake handshake)
{
    open(settings, handshake);
    return {DeviceState::Present, {}};
}

void LoopbackPort::transmitDueCharacters()
{
    const qint64 nowNs = m_clock.nowNs();
    if (m_open && !m_unsent.isEmpty() && !transmitterHeld()) {
        const qint64 characterNs = characterTimeNs();
        const qint64 due = std::min<qint64>((nowNs - m_characterStartNs) / characterNs, m_unsent.size());
        qsizetype sent = 0;
        const qsizetype before = m_received.size();
        while (sent < due && !transmitterHeld())
            receive(m_unsent.at(sent++));
        m_unsent.remove(0, sent);
        m_characterStartNs += sent * characterNs;
        reportArrival(m_received.sliced(before));
    }
    if (m_unsent.isEmpty() || transmitterHeld())
        m_characterStartNs = nowNs;
    expectArrival();
}

void LoopbackPort::expectArrival()
{
    if (!m_open || m_unsent.isEmpty() || transmitterHeld()) {
        m_arrival.stop();
        return;
    }
    const qint64 dueNs = m_characterStartNs + m_unsent.size() * characterTimeNs() - m_clock.nowNs();
    m_arrival.start(int(std::clamp<qint64>((dueNs + 999'999) / 1'000'000, 0, 1000)));
}

void LoopbackPort::receive(char character)
{
    const char received = char(character & ((1 << m_settings.dataBits) - 1));
    // A driver doing XON/XOFF acts on these characters and swallows them.
    if (usesSoftwareFlow(m_handshake) && (received == XoffCharacter || received == XonCharacter)) {
        m_stoppedByXoff = received == XoffCharacter;
        return;
    }
    m_received += received;
}

bool LoopbackPort::transmitterHeld() const
{
    const bool clearToSend = m_rts;
    return (usesHardwareFlow(m_handshake) && !clearToSend) || (usesSoftwareFlow(m_handshake) && m_stoppedByXoff);
}

qint64 LoopbackPort::characterTimeNs() const
{
    const double ns = m_settings.bitsPerCharacter() * 1e9 / m_settings.baudRate;
    return std::max<qint64>(1, std::llround(ns));
}

void LoopbackPort::requireOpen() const
{
    if (!m_open)
        throw CommError(QStringLiteral("%1: port is not open").arg(LoopbackDeviceName));
}

} // namespace MSCommLib
