// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "portbackend.h"
#include "remoteconnection.h"
#include "steadyclock.h"

#include <memory>

namespace MSCommLib {

// A serial port on another machine, shared by an RFC 2217 server such as
// ser2net and named rfc2217://HOST:PORT. Data, line settings, flow control
// and DTR/RTS go to the server as Telnet COM-PORT commands; the modem inputs
// come back in its NOTIFY-MODEMSTATE reports.
//
// Opening connects and negotiates within OpenTimeoutMs, and a settings or
// handshaking change waits up to ReplyTimeoutMs for the server's answer,
// reading only this connection meanwhile. A connection that drops makes the
// port lost; lookForReturn() then reconnects in the background, one attempt
// at a time, further apart while the server stays away. A connection counts
// as good once it has lasted SteadyAfterMs: one that drops sooner carries on
// the spacing, so a server that keeps hanging up is not called ever faster. The server is not
// trusted: what it sends is parsed with bounded memory; once MaxBufferedInput
// of received data waits, the socket is not read until the next look takes
// it, so TCP slows the server down (while a reply is awaited reading goes
// on, and data beyond the cap is dropped and counted); each of its requests
// is answered at most once; and a server that stops reading what we send,
// or floods with Telnet traffic that carries no data, is let go.
class RemotePort final : public PortBackend
{
public:
    static constexpr int OpenTimeoutMs = 2000;
    static constexpr int ReplyTimeoutMs = 1000;
    static constexpr qsizetype MaxBufferedInput = qsizetype(1) << 20;
    static constexpr int FirstRetryMs = 300;
    static constexpr int LongestRetryMs = 5000;
    static constexpr int SteadyAfterMs = 10000;

    // Whether a device name is a remote port's address.
    static bool isAddress(const QString &deviceName);

    explicit RemotePort(const QString &deviceName, const SteadyClock &clock = SteadyClock::monotonic());
    ~RemotePort() override;

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
    // Modem transitions from the server's reports; ser2net sends no line
    // state for serial devices, so errors are not counted.
    std::optional<LineCounts> lineCounts() override;
    ReturnCheck lookForReturn(const LineSettings &settings, Handshake handshake) override;
    // Each change at the arrival of the server's report of it.
    LineTiming lineTiming() const override;
    bool supports(Handshake handshake) const override;
    bool isRemote() const override { return true; }
    int steadyAfterMs() const override { return SteadyAfterMs; }
    // Whether the server is being held back until the next look.
    bool isReadingPaused() const { return m_live && m_live->isReadingPaused(); }

private:
    enum class State { Closed, Live, Lost };
    using Outcome = ComPortSession::Outcome;
    using Settings = QList<ComPortSession::Setting>;

    std::unique_ptr<RemoteConnection> newConnection();
    void onEnded(RemoteConnection &connection, const QString &reason);
    // Whether to read on.
    bool receive(QByteArray data);
    // Waits for the outcome of a request, reading only the live connection.
    Outcome await(ComPortSession::RequestId id);
    // How a change is spoken of on stderr.
    struct Naming
    {
        QString what;
        const char *pronoun;
    };
    // Sends a change; finishing it waits for the server's word on it.
    PendingChange change(const Settings &wanted, const Settings &previous, const Naming &naming,
                         std::function<void()> inForce);
    qint64 now() const { return m_clock.nowMs(); }
    void becomeLive(std::unique_ptr<RemoteConnection> connection);
    void onModemState(const RemoteConnection &connection);
    void requireLive() const;
    [[noreturn]] void fail(const QString &what) const;

    const QString m_deviceName;
    const SteadyClock &m_clock;
    QString m_host;
    quint16 m_port = 0;
    State m_state = State::Closed;
    std::unique_ptr<RemoteConnection> m_live;
    std::unique_ptr<RemoteConnection> m_attempt; // a reconnection under way
    qint64 m_attemptAt = 0;                      // the last attempt, or the loss
    qint64 m_liveSince = 0;
    int m_retryMs = FirstRetryMs;
    int m_attempts = 0; // each goes to the next of the host's addresses
    LineSettings m_settings;
    Handshake m_handshake = Handshake::None;
    QByteArray m_received;
    LineCounts m_reportedTransitions; // the live session's, at its last report
    bool m_awaiting = false;
    qint64 m_dropped = 0;         // received bytes the buffer had no room for
    qint64 m_droppedReported = 0; // of those, already said on stderr
};

} // namespace MSCommLib
