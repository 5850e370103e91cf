// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "portbackend.h"
#include "telnetcodec.h"
#include "telnetoptions.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <memory>
#include <optional>

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
// at a time, further apart while the server stays away. The server is not
// trusted: what it sends is parsed with bounded memory, received data beyond
// MaxBufferedInput is dropped and counted, each of its requests is answered
// at most once, and a server that stops reading what we send is let go.
class RemotePort final : public PortBackend
{
public:
    static constexpr int OpenTimeoutMs = 2000;
    static constexpr int ReplyTimeoutMs = 1000;
    static constexpr qsizetype MaxBufferedInput = qsizetype(1) << 20;
    // A server that leaves this much of what we send unread has stopped
    // reading; the connection is given up rather than buffered without end.
    static constexpr qint64 MaxUnsentBytes = qint64(256) * 1024;
    static constexpr int FirstRetryMs = 300;
    static constexpr int LongestRetryMs = 2400;

    // Whether a device name is a remote port's address.
    static bool isAddress(const QString &deviceName);

    explicit RemotePort(const QString &deviceName);
    ~RemotePort() override;

    void open(const LineSettings &settings, Handshake handshake) override;
    void close() override;
    void configure(const LineSettings &settings) override;
    void setHandshake(Handshake handshake) override;
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
    bool supports(Handshake handshake) const override;
    bool isRemote() const override { return true; }

private:
    // One TCP connection and its Telnet state.
    struct Connection
    {
        // A socket still connected says so on its way out: nothing may hear
        // it once the rest of the connection is gone.
        ~Connection()
        {
            QObject::disconnect(&socket, nullptr, nullptr, nullptr);
            socket.abort();
        }
        bool isAlive() const { return failure.isEmpty() && socket.state() == QAbstractSocket::ConnectedState; }

        QTcpSocket socket;
        Telnet::Decoder decoder;
        Telnet::OptionNegotiation options;
        bool signatureSent = false;
        QString failure; // why it ended, once it has
    };
    enum class State { Closed, Live, Lost };

    void connectTo(Connection &connection);
    QString awaitComPort(Connection &connection, QDeadlineTimer deadline);
    void onReadyRead(Connection &connection);
    void onEnded(Connection &connection, const QString &reason);
    void sendTo(Connection &connection, const QByteArray &wire);
    void handle(Connection &connection, const Telnet::Event &event);
    void receive(QByteArray data);
    void countTransitions(Telnet::ModemState report);

    // A COM-PORT command with the value it sets, which the server's reply
    // repeats when it applied the value.
    using Setting = std::pair<Telnet::ComPortCommand, quint32>;
    enum class Answer { Confirmed, Refused, Silent };
    // Sends the format and flow control (all of them when flow is given).
    QList<Setting> send(const LineSettings &settings, std::optional<Telnet::Control> flow);
    QList<Setting> send(Telnet::Control flow);
    // Waits for the replies to the settings just sent, reading only this
    // connection; Silent when the server did not answer them all in time.
    Answer awaitAnswer(const QList<Setting> &sent, QDeadlineTimer deadline);
    void startAttempt();
    void becomeLive(std::unique_ptr<Connection> connection);
    void requireLive() const;
    [[noreturn]] void fail(const QString &what) const;

    const QString m_deviceName;
    QString m_host;
    quint16 m_port = 0;
    State m_state = State::Closed;
    std::unique_ptr<Connection> m_live;
    std::unique_ptr<Connection> m_attempt; // a reconnection under way
    QElapsedTimer m_sinceAttempt;
    int m_retryMs = FirstRetryMs;
    LineSettings m_settings;
    Handshake m_handshake = Handshake::None;
    Telnet::ModemState m_modemState;
    LineCounts m_transitions{{0, 0, 0, 0, std::nullopt, std::nullopt, std::nullopt, std::nullopt}};
    QByteArray m_received;
    qint64 m_dropped = 0;         // received bytes the buffer had no room for
    qint64 m_droppedReported = 0; // of those, already said on stderr
    bool m_awaitingReplies = false;
    QList<Telnet::ComPortReply> m_replies; // collected while awaiting them
    // Requests sent by command whose replies are still out: only the reply
    // to the last request of a kind tells what is in force now. Line changes
    // (DTR, RTS) are not awaited, and their SET-CONTROL replies not counted.
    std::array<int, 256> m_unanswered{};
};

} // namespace MSCommLib
