// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "comportsession.h"
#include "namelookup.h"
#include "steadyclock.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

#include <functional>
#include <memory>

namespace MSCommLib {

// One TCP connection to an RFC 2217 server, with the session on it: what
// comes in is fed to the session, what the session has due goes out. The
// server is not trusted: one that leaves MaxUnsentBytes of what we send
// unread has stopped reading, and is let go rather than buffered for.
// While reading is paused the socket's bounded buffer fills and TCP holds
// the server back.
class RemoteConnection
{
public:
    static constexpr qint64 MaxUnsentBytes = qint64(256) * 1024;
    // The most read from the socket at once, and held in its buffer.
    static constexpr qint64 ReadChunkSize = qint64(64) * 1024;
    // Told the serial data received, which says whether to read on; and,
    // once, why the connection ended.
    using DataHandler = std::function<bool(QByteArray data)>;
    using EndHandler = std::function<void(RemoteConnection &connection, const QString &reason)>;

    // The clock is the session's: replies are timed by it.
    RemoteConnection(const SteadyClock &clock, DataHandler onData, EndHandler onEnded);
    // Nothing is heard from the socket once the rest is gone.
    ~RemoteConnection();
    RemoteConnection(const RemoteConnection &) = delete;
    RemoteConnection &operator=(const RemoteConnection &) = delete;

    // Looks the host up, connects and agrees on COM-PORT by the deadline,
    // reading only this connection meanwhile; empty, or why it could not.
    QString connectNow(const QString &host, quint16 port, QDeadlineTimer deadline);
    // The same without blocking: started here, carried on by advance(),
    // which says false once the attempt cannot succeed.
    void startConnecting(const QString &host, quint16 port, int addressTurn);
    bool advance();
    // Connected, with COM-PORT agreed on.
    bool isReady() const { return m_session.comPortAccepted() && isAlive(); }
    bool isAlive() const { return m_failure.isEmpty() && m_socket.state() == QAbstractSocket::ConnectedState; }
    const QString &failure() const { return m_failure; }

    ComPortSession &session() { return m_session; }
    // Sends serial data, then what the session has due.
    void send(QByteArrayView data = {});
    qint64 bytesToWrite() const { return m_socket.bytesToWrite(); }
    // Reads what arrives within the time given, at least a millisecond.
    void waitForInput(qint64 ms);
    // Reading stops when the data handler says so, until resumed here.
    void resumeReading();
    bool isReadingPaused() const { return m_readingPaused; }

private:
    void readInput();
    void end(const QString &reason);

    const SteadyClock &m_clock;
    QTcpSocket m_socket;
    ComPortSession m_session;
    std::unique_ptr<NameLookup> m_lookup; // while the server's name is looked up
    quint16 m_port = 0;
    int m_addressTurn = 0; // which of the host's addresses this attempt takes
    QString m_failure;     // why it ended, once it has
    bool m_readingPaused = false;
    DataHandler m_onData;
    EndHandler m_onEnded;
};

} // namespace MSCommLib
