// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "remoteconnection.h"

#include <algorithm>
#include <utility>

namespace MSCommLib {

RemoteConnection::RemoteConnection(const SteadyClock &clock, DataHandler onData, EndHandler onEnded)
    : m_clock(clock)
    , m_onData(std::move(onData))
    , m_onEnded(std::move(onEnded))
{
    // Enough to take a burst without holding up the event loop; TCP holds the rest.
    m_socket.setReadBufferSize(ReadChunkSize);
    QObject::connect(&m_socket, &QTcpSocket::connected, &m_socket, [this] {
        m_session.start();
        send();
    });
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { readInput(); });
    QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &m_socket, [this](QAbstractSocket::SocketError error) {
        // A wait that ran out is reported as an error, but ends nothing.
        if (error != QAbstractSocket::SocketTimeoutError)
            end(m_socket.errorString());
    });
    QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket,
                     [this] { end(QStringLiteral("the server closed the connection")); });
}

RemoteConnection::~RemoteConnection()
{
    QObject::disconnect(&m_socket, nullptr, nullptr, nullptr);
    m_socket.abort();
}

QString RemoteConnection::connectNow(const QString &host, quint16 port, QDeadlineTimer deadline)
{
    NameLookup lookup(host);
    lookup.waitForFinished(deadline);
    QString why = lookup.failure();
    for (const QHostAddress &address : lookup.addresses()) {
        m_failure.clear();
        m_socket.connectToHost(address, port);
        if (m_socket.waitForConnected(int(deadline.remainingTime())))
            break;
        why = m_socket.errorString();
        m_socket.abort();
    }
    if (!why.isEmpty() && m_socket.state() != QAbstractSocket::ConnectedState)
        return why;
    while (!m_session.comPortAccepted()) {
        if (!m_failure.isEmpty())
            return m_failure;
        if (m_session.comPortRefused())
            return QStringLiteral("the server does not offer RFC 2217 (no COM-PORT-OPTION)");
        if (deadline.hasExpired())
            return QStringLiteral("no RFC 2217 answer (COM-PORT-OPTION) in time");
        m_socket.waitForReadyRead(int(deadline.remainingTime()));
    }
    return m_failure; // agreed, then hung up (ser2net does when its device fails)
}

void RemoteConnection::startConnecting(const QString &host, quint16 port, int addressTurn)
{
    m_lookup = std::make_unique<NameLookup>(host);
    m_port = port;
    m_addressTurn = addressTurn;
    advance();
}

bool RemoteConnection::advance()
{
    if (!m_failure.isEmpty() || m_session.comPortRefused())
        return false;
    if (!m_lookup || !m_lookup->isFinished())
        return true;
    const QList<QHostAddress> addresses = m_lookup->addresses();
    m_lookup.reset();
    if (addresses.isEmpty())
        return false;
    m_socket.connectToHost(addresses.at(m_addressTurn % addresses.size()), m_port);
    return true;
}

void RemoteConnection::send(QByteArrayView data)
{
    if (!isAlive()) {
        m_session.takeOutgoing();
        return;
    }
    m_socket.write(Telnet::escaped(data) + m_session.takeOutgoing());
    // Out now, not when the event loop next runs: a request to this server
    // may be awaited while another connection is being waited on.
    m_socket.flush();
    if (m_socket.bytesToWrite() > MaxUnsentBytes) {
        end(QStringLiteral("the server stopped reading what is sent to it"));
        m_socket.abort();
    }
}

void RemoteConnection::waitForInput(qint64 ms)
{
    m_socket.waitForReadyRead(int(std::clamp<qint64>(ms, 1, std::numeric_limits<int>::max())));
}

void RemoteConnection::resumeReading()
{
    if (std::exchange(m_readingPaused, false))
        readInput(); // readyRead is not told again of what is buffered already
}

void RemoteConnection::readInput()
{
    while (!m_readingPaused && m_failure.isEmpty() && m_socket.bytesAvailable() > 0) {
        QByteArray data;
        m_session.feed(m_socket.read(ReadChunkSize), m_clock.nowMs(), data);
        if (const QString why = m_session.misconduct(); !why.isEmpty()) {
            end(why);
            m_socket.abort();
            return;
        }
        m_readingPaused = !m_onData(std::move(data));
        send();
    }
}

void RemoteConnection::end(const QString &reason)
{
    if (!m_failure.isEmpty())
        return; // errorOccurred and disconnected both report one end
    m_failure = reason;
    m_onEnded(*this, reason);
}

} // namespace MSCommLib
