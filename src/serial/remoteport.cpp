// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "remoteport.h"

#include "commerror.h"
#include "diagnostics.h"

#include <QScopeGuard>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace MSCommLib {

namespace {

using namespace Telnet;

constexpr QLatin1StringView Scheme("rfc2217");

bool isRefusal(ComPortSession::Outcome outcome)
{
    return outcome == ComPortSession::Outcome::Altered || outcome == ComPortSession::Outcome::Refused;
}

} // namespace

bool RemotePort::isAddress(const QString &deviceName)
{
    return deviceName.startsWith(Scheme + QLatin1String("://"), Qt::CaseInsensitive);
}

RemotePort::RemotePort(const QString &deviceName, const SteadyClock &clock)
    : m_deviceName(deviceName)
    , m_clock(clock)
{
    const QUrl url(deviceName, QUrl::StrictMode);
    if (url.isValid() && url.port() > 0 && url.path().isEmpty() && !url.host().isEmpty()) {
        m_host = url.host();
        m_port = quint16(url.port());
    }
}

RemotePort::~RemotePort()
{
    close();
}

void RemotePort::open(const LineSettings &settings, Handshake handshake)
{
    close();
    if (m_host.isEmpty())
        fail(QStringLiteral("not a remote port address; write rfc2217://HOST:PORT"));
    const std::optional<Control> flow = ComPortSession::wireFlow(handshake);
    if (!flow)
        fail(QStringLiteral("a remote port has no RTS/CTS with XON/XOFF handshaking"));

    const qint64 openBy = now() + OpenTimeoutMs;
    std::unique_ptr<RemoteConnection> connection = newConnection();
    QString why = connection->connectNow(m_host, m_port, QDeadlineTimer(OpenTimeoutMs));
    if (!why.isEmpty())
        throw CommError(QStringLiteral("cannot open %1: %2").arg(m_deviceName, why));

    m_live = std::move(connection);
    m_reportedTransitions = m_live->session().transitions();
    m_state = State::Live;
    m_live->session().watchModemLines();
    const Outcome outcome = await(m_live->session().request(ComPortSession::settingsOf(settings, flow), openBy));
    if (m_state != State::Live) {
        why = m_live->failure();
        close();
        throw CommError(QStringLiteral("cannot open %1: %2").arg(m_deviceName, why));
    }
    if (isRefusal(outcome)) {
        close();
        throw CommError(QStringLiteral("cannot open %1: the server refused settings %2 with handshaking %3")
                            .arg(m_deviceName, settings.toString())
                            .arg(int(handshake)));
    }
    if (outcome == Outcome::TimedOut) {
        reportLine(QStringLiteral("%1: the server did not confirm settings %2 in time; taking them as in force")
                       .arg(m_deviceName, settings.toString()));
    }
    m_settings = settings;
    m_handshake = handshake;
    m_liveSince = now();
}

void RemotePort::close()
{
    m_state = State::Closed;
    m_live.reset();
    m_attempt.reset(); // with any name lookup it still waits for
    m_received.clear();
    m_retryMs = FirstRetryMs;
}

PendingChange RemotePort::configure(const LineSettings &settings)
{
    requireLive();
    return change(
        ComPortSession::settingsOf(settings, std::nullopt), ComPortSession::settingsOf(m_settings, std::nullopt),
        {QStringLiteral("settings %1").arg(settings.toString()), "them"}, [this, settings] { m_settings = settings; });
}

PendingChange RemotePort::setHandshake(Handshake handshake)
{
    requireLive();
    const std::optional<Control> flow = ComPortSession::wireFlow(handshake);
    if (!flow)
        fail(QStringLiteral("a remote port has no RTS/CTS with XON/XOFF handshaking"));
    return change(ComPortSession::flowOf(*flow), ComPortSession::flowOf(*ComPortSession::wireFlow(m_handshake)),
                  {QStringLiteral("handshaking %1").arg(int(handshake)), "it"},
                  [this, handshake] { m_handshake = handshake; });
}

// Sent now; the server's word is awaited when the change is finished. A
// refused change puts back what was in force; one the server does not answer
// in time is taken as in force.
PendingChange RemotePort::change(const Settings &wanted, const Settings &previous, const Naming &naming,
                                 std::function<void()> inForce)
{
    RemoteConnection *connection = m_live.get();
    const ComPortSession::RequestId id = connection->session().request(wanted, now() + ReplyTimeoutMs);
    connection->send();
    return PendingChange([this, connection, id, previous, naming, inForce = std::move(inForce)] {
        // Only a connection lost since can have been replaced, and a lost
        // port takes what it is given when it is back.
        const Outcome outcome = connection == m_live.get() ? await(id) : Outcome::Pending;
        if (isRefusal(outcome)) {
            m_live->session().forget(m_live->session().request(previous, now() + ReplyTimeoutMs));
            m_live->send();
            fail(QStringLiteral("the server refused %1").arg(naming.what));
        }
        if (outcome == Outcome::TimedOut && m_state == State::Live) {
            reportLine(QStringLiteral("%1: the server did not confirm %2 within %3 ms; taking %4 as in force")
                           .arg(m_deviceName, naming.what)
                           .arg(ReplyTimeoutMs)
                           .arg(QLatin1String(naming.pronoun)));
        }
        inForce();
    });
}

void RemotePort::write(const QByteArray &bytes)
{
    requireLive();
    m_live->send(bytes);
}

QByteArray RemotePort::readAll()
{
    requireLive();
    if (m_dropped > m_droppedReported) {
        reportLine(QStringLiteral("%1: received data came faster than it was shown; dropped %2 bytes (%3 in all)")
                       .arg(m_deviceName)
                       .arg(m_dropped - m_droppedReported)
                       .arg(m_dropped));
        m_droppedReported = m_dropped;
    }
    QByteArray taken = std::exchange(m_received, {});
    m_live->session().dataTaken();
    m_live->resumeReading();
    return taken;
}

qint64 RemotePort::bytesToWrite()
{
    return m_state == State::Live ? m_live->bytesToWrite() : 0;
}

ModemInputs RemotePort::modemInputs()
{
    requireLive();
    return m_live->session().modemInputs();
}

void RemotePort::setDtr(bool on)
{
    requireLive();
    m_live->session().setLine(on ? Control::DtrOn : Control::DtrOff);
    m_live->send();
}

void RemotePort::setRts(bool on)
{
    requireLive();
    if (usesHardwareFlow(m_handshake))
        fail(QStringLiteral("RTS is controlled by hardware handshaking"));
    m_live->session().setLine(on ? Control::RtsOn : Control::RtsOff);
    m_live->send();
}

std::optional<LineCounts> RemotePort::lineCounts()
{
    requireLive();
    return m_live->session().transitions();
}

LineTiming RemotePort::lineTiming() const
{
    return {LineTimes::Report, QStringLiteral("as often as the server reports")};
}

void RemotePort::onModemState(const RemoteConnection &connection)
{
    if (&connection != m_live.get() || m_state != State::Live)
        return;
    const LineCounts &transitions = m_live->session().transitions();
    const LineCounts moved = transitions - m_reportedTransitions;
    m_reportedTransitions = transitions;
    reportLineChange({m_clock.nowNs(), m_live->session().modemInputs(), moved});
}

bool RemotePort::supports(Handshake handshake) const
{
    return ComPortSession::wireFlow(handshake).has_value();
}

ReturnCheck RemotePort::lookForReturn(const LineSettings &settings, Handshake handshake)
{
    // What the control holds now is what the next connection starts with.
    m_settings = settings;
    m_handshake = handshake;
    if (m_attempt) {
        if (m_attempt->isReady()) {
            becomeLive(std::exchange(m_attempt, {}));
            return {DeviceState::Present, {}};
        }
        if (m_attempt->advance() && now() - m_attemptAt < OpenTimeoutMs)
            return {DeviceState::Reconnecting, {}};
        m_attempt.reset(); // with any name lookup it still waits for
    }
    if (now() - m_attemptAt >= m_retryMs) {
        m_attempt = newConnection();
        m_attempt->startConnecting(m_host, m_port, m_attempts++);
        m_attemptAt = now();
        m_retryMs = std::min(2 * m_retryMs, LongestRetryMs);
    }
    return {DeviceState::Reconnecting, {}};
}

std::unique_ptr<RemoteConnection> RemotePort::newConnection()
{
    auto connection = std::make_unique<RemoteConnection>(
        m_clock, [this](QByteArray data) { return receive(std::move(data)); },
        [this](RemoteConnection &connection, const QString &reason) { onEnded(connection, reason); });
    connection->session().setModemStateHandler([this, at = connection.get()] { onModemState(*at); });
    return connection;
}

void RemotePort::onEnded(RemoteConnection &connection, const QString &reason)
{
    if (&connection != m_live.get() || m_state != State::Live)
        return;
    m_state = State::Lost;
    m_attemptAt = now();
    if (m_attemptAt - m_liveSince >= SteadyAfterMs)
        m_retryMs = FirstRetryMs;
    reportLoss(reason, DeviceState::Reconnecting);
}

bool RemotePort::receive(QByteArray data)
{
    const qsizetype room = MaxBufferedInput - m_received.size();
    if (data.size() > room) {
        m_dropped += data.size() - room;
        data.truncate(room);
    }
    m_received += data;
    reportArrival(data); // a TCP segment's worth, as the socket handed it over
    return m_awaiting || m_received.size() + RemoteConnection::ReadChunkSize <= MaxBufferedInput;
}

RemotePort::Outcome RemotePort::await(ComPortSession::RequestId id)
{
    ComPortSession &session = m_live->session();
    m_live->send();
    // A reply must not wait behind data nobody has looked at yet.
    m_awaiting = true;
    const auto resumePausing = qScopeGuard([this] { m_awaiting = false; });
    m_live->resumeReading();
    Outcome outcome = session.outcome(id, now());
    for (; outcome == Outcome::Pending && m_state == State::Live && m_live->isAlive();
         outcome = session.outcome(id, now()))
        m_live->waitForInput(session.deadline(id) - now());
    session.forget(id);
    return outcome;
}

void RemotePort::becomeLive(std::unique_ptr<RemoteConnection> connection)
{
    if (m_live)
        connection->session().carryCountsFrom(m_live->session());
    m_live = std::move(connection);
    m_reportedTransitions = m_live->session().transitions();
    m_state = State::Live;
    m_liveSince = now();
    ComPortSession &session = m_live->session();
    session.watchModemLines();
    session.forget(session.request(ComPortSession::settingsOf(m_settings, ComPortSession::wireFlow(m_handshake)),
                                   now() + ReplyTimeoutMs));
    m_live->send();
}

void RemotePort::requireLive() const
{
    if (m_state == State::Closed)
        fail(QStringLiteral("port is not open"));
    if (m_state == State::Lost)
        fail(QStringLiteral("connection lost"));
}

void RemotePort::fail(const QString &what) const
{
    throw CommError(QStringLiteral("%1: %2").arg(m_deviceName, what));
}

} // namespace MSCommLib
